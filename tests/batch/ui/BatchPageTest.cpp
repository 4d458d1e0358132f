// The batch page: import through the worksheet chooser and the mapping window, browsing the
// bills with HS, deleting and printing them all.
#include "TestApp.h"
#include "batch/BatchPrintJob.h"
#include "batch/RecordNumbering.h"
#include "batch/ui/BatchPage.h"
#include "batch/ui/MappingDialog.h"
#include "batch/ui/SheetChooserDialog.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "print/RecordingSurface.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include "entry/EntryKit.h"

#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace kestrio;

namespace {

struct BatchPageTest : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(t.Open());
        FormatStore(t.app->DbOp(), t.progress, t.screen).LoadFormat(ws, u"转账支票"_qs);
        EntryKit(*t.app).entry.FillDateBoxes(ws); // as the window opens a format
        page = std::make_unique<BatchPage>(*t.app, ws);
        page->AttachScrollBar(&hs);
        page->show();
    }
    int Box(const QString& label) const
    {
        for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row)
            if (ws.table.Text(row, ElementTable::ColLbl) == label) return row;
        return -1;
    }
    QString Content(const QString& label) const { return ws.GetBoxContent(Box(label)); }
    QString Csv(const QByteArray& bytes)
    {
        QFile file(QDir(t.dir.path()).filePath(u"bills.csv"_qs));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    // A mapping window answered as a clerk fills it: the fields, the payee and amount columns.
    BatchPage::MappingRunner Fill(const QString& start, const QString& end, bool* stayed = nullptr)
    {
        return [=, this](MappingDialog& dialog) {
            dialog.Field(0)->setText(start);
            dialog.Field(1)->setText(end);
            dialog.Field(2)->setText(u"1"_qs);
            EXPECT_EQ(dialog.Preview()->horizontalHeaderItem(1)->text(), u"B"_qs);
            dialog.Mapping()->item(dialog.MappingRowOf(ws.table.Id(Box(u"收款人"_qs))), MappingDialog::ColExpression)->setText(u"A"_qs);
            dialog.Mapping()->item(dialog.MappingRowOf(ws.table.Id(Box(u"大写金额"_qs))), MappingDialog::ColExpression)->setText(u"B"_qs);
            QTest::mouseClick(dialog.ImportButton(), Qt::LeftButton);
            if (stayed) *stayed = !dialog.isHidden() || dialog.result() != QDialog::Accepted;
            return dialog.result() == QDialog::Accepted;
        };
    }
    test::TestApp t;
    Workspace ws;
    QScrollBar hs{Qt::Horizontal};
    std::unique_ptr<BatchPage> page;
};

} // namespace

TEST_F(BatchPageTest, ImportBrowseDeleteAndPrintAll)
{
    const QString csv = Csv("name,amount\r\n\xd5\xc5\xc8\xfd,1234.5\r\n\xc0\xee\xcb\xc4,88\r\nC,6.05\r\n");
    QSignalSpy changed(page.get(), &BatchPage::billsChanged);
    bool stayed = false;
    page->SetMappingRunner(Fill(u"2"_qs, u"30002"_qs, &stayed));
    EXPECT_FALSE(page->ImportFile(csv));
    EXPECT_TRUE(stayed);
    EXPECT_EQ(t.prompter.shown.value(0), RecordNumbering::TooManyMessage());

    page->SetMappingRunner(Fill(u"2"_qs, QString()));
    t.prompter.QueueFile(csv);
    QTest::mouseClick(page->ImportButton(), Qt::LeftButton);
    ASSERT_EQ(page->Batch().BillCount(), 3);
    EXPECT_EQ(changed.last().value(0).toInt(), 3);
    EXPECT_EQ(page->Scroll()->maximum(), 3);
    EXPECT_EQ(page->RecordLabel()->text(), u"1/3"_qs);
    EXPECT_EQ(Content(u"大写金额"_qs), u"壹仟贰佰叁拾肆元伍角整"_qs);
    EXPECT_EQ(Content(u"收款人"_qs), u"张三"_qs);

    page->Scroll()->setValue(2);
    EXPECT_EQ(Content(u"大写金额"_qs), u"捌拾捌元整"_qs);
    EXPECT_EQ(page->RecordLabel()->text(), u"2/3"_qs);

    page->Scroll()->setValue(3);
    page->View()->selectRow(0);
    QTest::mouseClick(page->findChild<QPushButton*>(u"Com_11"_qs), Qt::LeftButton);
    EXPECT_EQ(page->Batch().BillCount(), 2);
    // What is left is shown from its first bill.
    EXPECT_EQ(page->RecordLabel()->text(), u"1/2"_qs);
    EXPECT_EQ(Content(u"收款人"_qs), u"李四"_qs);

    // Both bills in one job, each stored; the shown bill comes back afterwards.
    RecordingSurface surface;
    page->SetDestinationFactory([&surface] { return std::make_unique<FixedDestination>(surface); });
    QSignalSpy printed(page.get(), &BatchPage::billsPrinted);
    page->ShowBill(1);
    EXPECT_TRUE(page->PrintAll());
    EXPECT_EQ(surface.calls().filter(u"newPage"_qs).size(), 2);
    EXPECT_EQ(surface.calls().filter(u"endDocument"_qs).size(), 1);
    EXPECT_EQ(printed.size(), 1);
    EXPECT_EQ(Content(u"收款人"_qs), u"C"_qs);
    EXPECT_EQ(t.app->DbOp().OpenQuery(u"SELECT DISTINCT ID FROM 历史 WHERE Fmt='转账支票'"_qs).RecordCount(), 2);

    // A failing printer stops at the first bill and says so.
    surface.failOperation(u"drawText"_qs, u"out of paper"_qs);
    EXPECT_FALSE(page->PrintAll());
    EXPECT_TRUE(t.prompter.shown.last().startsWith(page->Batch().BillContext(0) + u"没有打印成功"_qs))
        << t.prompter.shown.last().toStdString();

    QTest::mouseClick(page->findChild<QPushButton*>(u"Com_12"_qs), Qt::LeftButton);
    EXPECT_EQ(page->Batch().BillCount(), 0);
    EXPECT_EQ(changed.last().value(0).toInt(), 0);
    EXPECT_FALSE(page->Scroll()->isEnabled());
}

TEST_F(BatchPageTest, WorkbookGoesThroughTheWorksheetChooser)
{
    QStringList offered;
    page->SetSheetRunner([&offered](SheetChooserDialog& sheets) {
        EXPECT_EQ(sheets.windowTitle(), SheetChooserDialog::Caption());
        for (int row = 0; row < sheets.Grid()->rowCount(); ++row) offered << sheets.Grid()->item(row, 2)->text();
        QTest::mouseClick(sheets.Grid()->viewport(), Qt::LeftButton, {},
                          sheets.Grid()->visualItemRect(sheets.Grid()->item(0, 2)).center());
        EXPECT_EQ(sheets.Grid()->item(0, 1)->text(), u"√"_qs);
        return true;
    });
    page->SetMappingRunner(Fill(u"2"_qs, u"3"_qs));
    ASSERT_TRUE(page->ImportFile(QStringLiteral(KESTRIO_BATCH_DATA "/sample.xls")));
    EXPECT_EQ(offered, (QStringList{u"收款"_qs, u"其他"_qs}));
    EXPECT_EQ(page->Batch().BillCount(), 2);
    EXPECT_EQ(Content(u"收款人"_qs), u"6222020200112230000"_qs);

    EXPECT_FALSE(page->ImportFile(QDir(t.dir.path()).filePath(u"missing.xlsx"_qs)));
    EXPECT_EQ(t.prompter.shown.last(), u"无法打开XLS文件！"_qs);
}
