// A format is saved, imported and named whole or not at all.
#include "TestApp.h"
#include "format/FormatExchange.h"
#include "format/FormatNameRule.h"
#include "format/FormatStore.h"
#include "format/TextFileIO.h"
#include "format/Workspace.h"
#include "storage/SqlQuote.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

using Col = ElementTable::Column;

class SafeFormatWrites : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mApp.OpenEmpty()); }

    FormatStore Store() { return {mApp.app->DbOp(), mApp.progress, mApp.screen}; }
    FormatExchange Exchange() { return {mApp.Folder(), mApp.app->DbOp(), mApp.prompter, mApp.progress}; }
    int Rows(const QString& format)
    {
        return mApp.app->Db().ScalarNative(QStringLiteral("SELECT count(*) FROM Fmt WHERE Fmt=?"), {format}).toInt();
    }
    QString Path(const char* name) const { return QDir(mApp.Folder()).filePath(QString::fromUtf8(name)); }
    void MakeFormat(Workspace& ws, const QString& name, const QStringList& captions)
    {
        ws.formatName = name;
        ws.widthText = QStringLiteral("200");
        ws.heightText = QStringLiteral("90");
        for (const QString& caption : captions)
            ws.table.SetText(ws.table.AddElementRow(ElementTable::TextBox), Col::ColLbl, caption);
    }
    void RefuseLabel(const char* label)
    {
        ASSERT_TRUE(mApp.app->Db().ExecuteNative(
            QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE INSERT ON Fmt WHEN NEW.LBL='%1' "
                           "BEGIN SELECT RAISE(ABORT,'行写入失败'); END")
                .arg(QString::fromUtf8(label))));
    }

    test::TestApp mApp;
};

TEST_F(SafeFormatWrites, FailedRowWriteLeavesNoFormatAndTheTableAsItWas)
{
    Workspace ws;
    MakeFormat(ws, QStringLiteral("新格式"), {QStringLiteral("甲"), QStringLiteral("坏"), QStringLiteral("乙")});
    const qint64 firstId = ws.table.Id(ElementTable::kFirstRow);
    RefuseLabel("坏");
    FormatStore store = Store();
    EXPECT_FALSE(store.SaveFormat(ws));
    EXPECT_TRUE(store.LastError().contains(QStringLiteral("行写入失败"))) << store.LastError().toStdString();
    EXPECT_EQ(Rows(QStringLiteral("新格式")), 0);
    EXPECT_EQ(ws.table.Id(ElementTable::kFirstRow), firstId);
    EXPECT_LT(firstId, 0);
}

TEST_F(SafeFormatWrites, FailedSaveInPlaceKeepsTheStoredFormat)
{
    Workspace ws;
    MakeFormat(ws, QStringLiteral("旧格式"), {QStringLiteral("甲")});
    ASSERT_TRUE(Store().SaveFormat(ws));
    RefuseLabel("坏");
    ws.table.SetText(ElementTable::kFirstRow, Col::ColLbl, QStringLiteral("改"));
    ws.table.SetText(ws.table.AddElementRow(ElementTable::TextBox), Col::ColLbl, QStringLiteral("坏"));
    EXPECT_FALSE(Store().SaveFormat(ws));
    EXPECT_EQ(Rows(QStringLiteral("旧格式")), 2); // the box and the whole-format row, as before
    EXPECT_EQ(mApp.app->DbOp().FieldWhere(QStringLiteral("Fmt"), QStringLiteral("Fmt='旧格式' AND Clas=0"),
                                          QStringLiteral("LBL")),
              QStringLiteral("甲"));
}

// A file cut anywhere that loses a row's fields or the whole-format row is refused whole.
TEST_F(SafeFormatWrites, TruncatedExchangeFileIsRefused)
{
    Workspace ws;
    MakeFormat(ws, QStringLiteral("来源"), {QStringLiteral("收款人"), QStringLiteral("金额"), QStringLiteral("用途")});
    ws.table.SetText(ElementTable::kFirstRow + 1, Col::ColRCtl, QString::number(ws.table.Id(ElementTable::kFirstRow)));
    ASSERT_TRUE(Store().SaveFormat(ws));
    ASSERT_TRUE(Exchange().ExportFmtFileTo(QStringLiteral("来源"), Path("whole.zhq")));
    QFile whole(Path("whole.zhq"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    for (const double share : {0.35, 0.55, 0.75, 0.9, 0.97}) {
        const QString path = Path("cut.zhq");
        QFile cut(path);
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cut.write(bytes.left(static_cast<qsizetype>(bytes.size() * share)));
        cut.close();
        mApp.prompter.shown.clear();
        EXPECT_FALSE(Exchange().ImportFmtFileAs(path, QStringLiteral("导入")).stored) << share;
        EXPECT_EQ(Rows(QStringLiteral("导入")), 0) << share;
        EXPECT_FALSE(mApp.prompter.shown.isEmpty()) << share;
    }
    EXPECT_TRUE(Exchange().ImportFmtFileAs(Path("whole.zhq"), QStringLiteral("导入")).stored);
    EXPECT_EQ(Rows(QStringLiteral("导入")), 4);
}

QString Line(int oldId, const QString& label, int rctl)
{
    QStringList f{QString::number(oldId), QStringLiteral("0"), label, QStringLiteral("左边")};
    for (int i = 0; i < 7; ++i) f << QStringLiteral("1");
    f << QStringLiteral("宋体") << QStringLiteral("12");
    for (int i = 0; i < 4; ++i) f << QStringLiteral("False");
    f << QStringLiteral("0") << QString::number(rctl) << QString() << QStringLiteral("0") << QStringLiteral("0");
    return f.join(QStringLiteral("】★【"));
}

// Two lines of one old ID: references follow the first of them.
TEST_F(SafeFormatWrites, ReferencesFollowTheFirstLineOfARepeatedId)
{
    const QStringList lines{QStringLiteral("<Velmora格式专用>"), QStringLiteral("支票_重复"),
                            Line(7, QStringLiteral("甲"), 0), Line(7, QStringLiteral("乙"), 0),
                            Line(9, QStringLiteral("丙"), -7), Line(10, FormatStore::WholeFormatLabel(), 0)};
    ASSERT_TRUE(TextFileIO::WriteTextFile(lines.join(QStringLiteral("\r\n")), Path("重复.zhq")));
    ASSERT_TRUE(Exchange().ImportFmtFileAs(Path("重复.zhq")).stored) << mApp.prompter.shown.join(u'|').toStdString();
    DbOperate& db = mApp.app->DbOp();
    const QString first = db.FieldWhere(QStringLiteral("Fmt"), QStringLiteral("Fmt='重复' AND LBL='甲'"), QStringLiteral("ID"));
    EXPECT_EQ(db.FieldWhere(QStringLiteral("Fmt"), QStringLiteral("Fmt='重复' AND LBL='丙'"), QStringLiteral("RCtl")),
              QStringLiteral("-") + first);
}

TEST_F(SafeFormatWrites, NamesSharingABackgroundFileOrTooLongAreRefused)
{
    ASSERT_TRUE(mApp.app->DbOp().ExecuteSql(QStringLiteral("INSERT INTO Fmt(Fmt,LBL) VALUES('a\\b','x')")));
    struct Case {
        QString name;
        QString refusal;
    } const cases[] = {
        {QStringLiteral("a5b"), FormatNameRule::SharedBackgroundText(QStringLiteral("a\\b"))},
        {QStringLiteral("a\\b"), QString()},
        {QStringLiteral("a6b"), QString()},
        {QString(60, QChar(u'名')), QString()},
        {QString(61, QChar(u'名')), FormatNameRule::TooLongText()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatNameRule::Refusal(mApp.app->DbOp(), c.name), c.refusal) << c.name.toStdString();

    Workspace ws;
    MakeFormat(ws, QStringLiteral("源"), {QStringLiteral("甲")});
    ASSERT_TRUE(Store().SaveFormat(ws));
    EXPECT_FALSE(Store().SaveFormatAs(ws, QStringLiteral("a5b"), mApp.prompter, mApp.Folder()));
    EXPECT_EQ(mApp.prompter.shown.last(), FormatNameRule::SharedBackgroundText(QStringLiteral("a\\b")));
    EXPECT_EQ(Rows(QStringLiteral("a5b")), 0);
    ASSERT_TRUE(Exchange().ExportFmtFileTo(QStringLiteral("源"), Path("a5b.zhq")));
    EXPECT_FALSE(Exchange().ImportFmtFileAs(Path("a5b.zhq")).stored);
    EXPECT_EQ(Rows(QStringLiteral("a5b")), 0);
}

} // namespace
} // namespace kestrio
