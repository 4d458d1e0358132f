#include "RecordingProgress.h"
#include "TestApp.h"
#include "batch/BatchGrid.h"
#include "batch/BatchImport.h"
#include "batch/MappingExpression.h"
#include "batch/MappingStore.h"
#include "batch/RecordNumbering.h"
#include "batch/SheetReader.h"
#include "batch/SourceRows.h"
#include "entry/EntryKit.h"
#include "entry/HistoryRecords.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace kestrio;

namespace {

QList<QStringList> SourceList(int count)
{
    QList<QStringList> rows;
    for (int r = 1; r <= count; ++r)
        rows.append({QStringLiteral("a%1").arg(r), QStringLiteral("b%1").arg(r), {}, u"张三"_qs, u"北京"_qs});
    return rows;
}

SourceRows Source(int count) { return SourceRows::FromList(SourceList(count)); }

} // namespace

TEST(MappingExpressionTest, PartsFixedTextAndColumns)
{
    const SourceRows rows = Source(3);
    const struct { QString expression; int row; QString value; } cases[] = {
        {u"D,\"地址：\",E"_qs, 1, u"张三地址：北京"_qs},
        {u"A,“//”,B"_qs, 1, u"a1//b1"_qs},
        {u"，a，"_qs, 2, u"a2"_qs},
        {u" A+2 , B "_qs, 1, u"a3b1"_qs},
        {u"A+5"_qs, 1, QString()},
        {u"ABC"_qs, 1, QString()},
        // A part that comes out at 0 or below, a digit or an empty one, reads column A.
        {u"B,,\"-\""_qs, 1, u"b1a1-"_qs},
        {u"1"_qs, 2, u"a2"_qs},
        {u"7"_qs, 1, u"a1"_qs},
        {QString(), 1, QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MappingExpression(c.expression).Evaluate(rows, c.row), c.value) << c.expression.toStdString();
    EXPECT_TRUE(MappingExpression(u" , "_qs).IsEmpty());
    EXPECT_EQ(MappingExpression(u"A+1,B+3"_qs).MaxOffset(), 3);
    EXPECT_EQ(MappingExpression(u"A,\"x\",AB"_qs).WidestColumn(), 28);
}

TEST(RecordNumberingTest, BillsRowsAndTheLimit)
{
    const RecordNumbering three(2, 8, 3);
    EXPECT_EQ(three.BillCount(), 3);
    EXPECT_EQ(three.FirstRowOf(2), 8);
    const RecordNumbering swapped(10, 1, 0);
    EXPECT_EQ(swapped.Start(), 1);
    EXPECT_EQ(swapped.End(), 10);
    EXPECT_EQ(swapped.PerBill(), 1);
    EXPECT_TRUE(RecordNumbering(1, 30000, 1).WithinLimit());
    EXPECT_FALSE(RecordNumbering(1, 30001, 1).WithinLimit());
}

struct BatchGridTest : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(t.Open());
        ws.lineBreakMarker = u"//"_qs;
        FormatStore(t.app->DbOp(), t.app->Indicator(), t.app->Screen()).LoadFormat(ws, u"转账支票"_qs, {});
    }
    qint64 IdOf(const QString& label) const
    {
        for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row)
            if (ws.table.Text(row, ElementTable::ColLbl) == label) return ws.table.Id(row);
        return 0;
    }
    QString Content(const QString& label) const { return ws.GetBoxContent(ws.table.RowOfId(IdOf(label))); }
    test::TestApp t;
    Workspace ws;
    test::RecordingProgress progress;
};

TEST_F(BatchGridTest, RowsPerBillOffsetsAndLineBreaks)
{
    QList<QStringList> list = SourceList(8);
    list[1][1] = u"一行\r\n二行\t"_qs;
    const SourceRows rows = SourceRows::FromList(list);
    BatchGrid grid;
    grid.Fill(ws, {{IdOf(u"收款人"_qs), u"A+1"_qs}, {IdOf(u"用途"_qs), u"B"_qs}}, rows, RecordNumbering(2, 8, 3), progress);
    ASSERT_EQ(grid.BillCount(), 3);
    int payeeCol = -1, useCol = -1, passwordCol = -1;
    for (int c = 0; c < grid.grid().ColCount(); ++c) {
        const QString caption = grid.grid().Text(1, c);
        if (caption == u"收款人"_qs) payeeCol = c;
        if (caption == u"用途"_qs) useCol = c;
        if (caption == u"密码"_qs) passwordCol = c;
    }
    EXPECT_EQ(grid.grid().Text(2, payeeCol), u"a3"_qs);
    EXPECT_EQ(grid.grid().Text(3, payeeCol), u"a6"_qs);
    EXPECT_EQ(grid.grid().Text(4, payeeCol), QString()); // row 9 is past the data
    EXPECT_EQ(grid.grid().Text(2, useCol), u"一行//二行"_qs);
    EXPECT_FALSE(grid.grid().ColumnHidden(payeeCol));
    EXPECT_TRUE(grid.grid().ColumnHidden(passwordCol));
    EXPECT_TRUE(grid.grid().RowHidden(0));
    EXPECT_EQ(progress.captions, QStringList{u"正在读取EXCEL数据……"_qs});
    EXPECT_EQ(progress.steps, 3);

    grid.RemoveBills(0, 0);
    EXPECT_EQ(grid.BillCount(), 2);
    EXPECT_EQ(grid.grid().Text(2, payeeCol), u"a6"_qs);
    grid.Clear();
    EXPECT_EQ(grid.BillCount(), 0);
    EXPECT_EQ(grid.Current(), -1);
}

TEST_F(BatchGridTest, ShowingABillConvertsAndCalculatesAsTyped)
{
    const SourceRows rows = SourceRows::FromList({{u"张三"_qs, u"1234.5"_qs}, {u"李四"_qs, QString()}});
    ws.SetBoxContent(ws.table.RowOfId(IdOf(u"密码"_qs)), u"9999"_qs); // not mapped: kept for every bill
    BatchGrid grid;
    grid.Fill(ws, {{IdOf(u"收款人"_qs), u"A"_qs}, {IdOf(u"大写金额"_qs), u"B"_qs}}, rows, RecordNumbering(1, 2, 1), progress);
    EntryKit kit(*t.app);
    ASSERT_TRUE(grid.ShowBill(0, ws, kit.entry));
    EXPECT_EQ(Content(u"大写金额"_qs), u"壹仟贰佰叁拾肆元伍角整"_qs);
    EXPECT_FALSE(Content(u"小写金额"_qs).isEmpty()); // the same-content ring follows
    EXPECT_EQ(Content(u"存根收款人"_qs), u"张三"_qs);
    EXPECT_EQ(Content(u"密码"_qs), u"9999"_qs);
    ASSERT_TRUE(grid.ShowBill(1, ws, kit.entry));
    EXPECT_EQ(Content(u"收款人"_qs), u"李四"_qs);
    EXPECT_EQ(Content(u"大写金额"_qs), QString());
    EXPECT_EQ(Content(u"密码"_qs), u"9999"_qs);
    EXPECT_FALSE(grid.ShowBill(2, ws, kit.entry));
}

TEST_F(BatchGridTest, MappingStoredPerFormatAndImportRefusesTooManyRows)
{
    MappingStore store(t.app->DbOp());
    const QHash<qint64, QString> map = {{IdOf(u"收款人"_qs), u"A,\"O'Brien\""_qs}, {IdOf(u"用途"_qs), u"  "_qs}};
    ASSERT_TRUE(store.Save(u"转账支票"_qs, map));
    ASSERT_TRUE(store.Save(u"转账支票"_qs, map)); // replaced, not added to
    EXPECT_EQ(store.Load(u"转账支票"_qs), (QHash<qint64, QString>{{IdOf(u"收款人"_qs), u"A,\"O'Brien\""_qs}}));
    MappingStore::WriteFields(t.settings, {u"2"_qs, u"9"_qs, u"3"_qs});
    const MappingStore::Fields fields = MappingStore::ReadFields(t.settings);
    EXPECT_EQ(fields.start + fields.end + fields.perBill, u"293"_qs);

    BatchGrid grid;
    const QString csv = QDir(t.dir.path()).filePath(u"s.csv"_qs);
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("a\r\nb\r\n");
    file.close();
    EXPECT_EQ(BatchImport::Run({csv, {}, map, 1, 30001, 1}, ws, grid, progress).error, RecordNumbering::TooManyMessage());
    const auto all = BatchImport::Run({csv, {}, map, 1, 0, 1}, ws, grid, progress);
    EXPECT_TRUE(all.ok);
    EXPECT_EQ(grid.BillCount(), 2);
    EXPECT_EQ(BatchImport::Run({csv + u".doc"_qs, {}, map, 1, 0, 1}, ws, grid, progress).error,
              SheetReader::UnsupportedMessage());
}
