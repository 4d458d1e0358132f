// Loading and saving formats against the real database.
#include "TestApp.h"
#include "format/FormatStore.h"
#include "format/GridFiller.h"
#include "format/Workspace.h"
#include "images/BackgroundImages.h"
#include "storage/SqlQuote.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

using Col = ElementTable::Column;

class FormatStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mApp.Open());
        // Whatever a first start put there, these tests start from an empty library.
        mApp.app->DbOp().ExecuteSql(QStringLiteral("DELETE * FROM Fmt WHERE Fmt<>''"));
    }

    FormatStore Store() { return {mApp.app->DbOp(), mApp.progress, mApp.screen}; }
    DbOperate& Db() { return mApp.app->DbOp(); }
    QString Field(const QString& condition, const char* column)
    {
        return Db().FieldWhere(QStringLiteral("Fmt"), condition, QString::fromLatin1(column));
    }
    int Count(const QString& condition)
    {
        return Db().OpenQuery(QStringLiteral("SELECT * FROM Fmt WHERE ") + condition).RecordCount();
    }

    // A small format made as the designer makes one: rows added to the table, then saved.
    void MakeCheque(Workspace& ws)
    {
        ws.formatName = QStringLiteral("支票's");
        ws.widthText = QStringLiteral("210");
        ws.heightText = QStringLiteral("80");
        ws.offsetXText = QStringLiteral("2.5");
        ws.offsetYText = QStringLiteral("-1");
        ElementTable& t = ws.table;
        const int amount = t.AddElementRow(ElementTable::TextBox);
        t.SetText(amount, Col::ColLbl, QStringLiteral("金额"));
        t.SetText(amount, Col::ColX, QStringLiteral("10.5"));
        t.SetText(amount, Col::ColFontSize, QStringLiteral("12"));
        t.SetText(amount, Col::ColCash, QStringLiteral("103"));
        const int money = t.AddElementRow(ElementTable::TextBox);
        t.SetText(money, Col::ColLbl, QStringLiteral("小写"));
        t.SetText(money, Col::ColCash, QStringLiteral("104"));
        t.SetText(money, Col::ColBold, QStringLiteral("√"));
        // A ring: each names the other as same-content; a sum member entering negated.
        t.SetText(amount, Col::ColRCtl, QString::number(t.Id(money)));
        t.SetText(money, Col::ColRCtl, QString::number(t.Id(amount)));
        t.SetText(money, Col::ColSumId, QString::number(t.Id(amount)) + QStringLiteral(".5"));
        const int fixed = t.AddElementRow(ElementTable::TextBox); // no caption: fixed text
        ws.SetBoxText(fixed, QStringLiteral("仅限转账"));
        const int line = t.AddElementRow(ElementTable::Line);
        t.SetText(line, Col::ColLbl, QStringLiteral("线条"));
        t.SetText(line, Col::ColRCtl, QString::number(t.Id(amount)));
        t.SetColor(line, 0xFF0000);
    }

    test::TestApp mApp;
};

TEST_F(FormatStoreTest, SavingGivesIdsAndRepointsEveryReference)
{
    Workspace ws;
    MakeCheque(ws);
    ASSERT_TRUE(Store().SaveFormat(ws));
    const qint64 amount = ws.table.Id(2), money = ws.table.Id(3);
    EXPECT_GT(amount, 0);
    EXPECT_EQ(Field(QStringLiteral("ID=%1").arg(amount), "RCtl"), QString::number(money));
    EXPECT_EQ(Field(QStringLiteral("ID=%1").arg(money), "RCtl"), QString::number(amount));
    EXPECT_EQ(Field(QStringLiteral("ID=%1").arg(money), "SumID"), QString::number(amount) + QStringLiteral(".5"));
    // The line named the amount box by its temporary ID and now names its stored one.
    EXPECT_EQ(ws.table.Text(5, Col::ColRCtl), QString::number(amount));
    EXPECT_EQ(Field(QStringLiteral("LBL='线条'"), "RCtl"), QString::number(amount));
    EXPECT_EQ(Field(QStringLiteral("ID=%1").arg(money), "fBold"), QStringLiteral("1"));
    EXPECT_EQ(Field(QStringLiteral("Fmt='支票''s' AND LBL='") + FormatStore::WholeFormatLabel() + QStringLiteral("'"), "X"),
              QStringLiteral("7.5"));
    EXPECT_EQ(Field(QStringLiteral("Fmt='支票''s' AND Clas=0 AND LBL=''"), "Mem"), QStringLiteral("仅限转账"));

    // Saving again keeps the element IDs; the whole-format row is written anew.
    const QString wholeId = Field(QStringLiteral("LBL='") + FormatStore::WholeFormatLabel() + QStringLiteral("'"), "ID");
    ASSERT_TRUE(Store().SaveFormat(ws));
    EXPECT_EQ(ws.table.Id(2), amount);
    EXPECT_EQ(ws.table.Id(3), money);
    EXPECT_NE(Field(QStringLiteral("LBL='") + FormatStore::WholeFormatLabel() + QStringLiteral("'"), "ID"), wholeId);
    EXPECT_EQ(Count(QStringLiteral("Fmt='支票''s'")), 5);
}

TEST_F(FormatStoreTest, LoadingShowsTheTableAsStored)
{
    Workspace saved;
    MakeCheque(saved);
    ASSERT_TRUE(Store().SaveFormat(saved));

    Workspace ws;
    Store().LoadFormat(ws, QStringLiteral("支票's"));
    EXPECT_EQ(ws.widthText, QStringLiteral("210"));
    EXPECT_EQ(ws.offsetXText, QStringLiteral("2.5"));
    EXPECT_EQ(ws.offsetYText, QStringLiteral("-1"));
    EXPECT_DOUBLE_EQ(ws.displayScale, 1.0);
    ASSERT_EQ(ws.table.RowCount(), 6);
    const ElementTable& t = ws.table;
    // Ordered by kind, then ID: three text boxes, then the line.
    EXPECT_EQ(t.Text(2, Col::ColLbl), QStringLiteral("金额"));
    EXPECT_EQ(t.Text(5, Col::ColLbl), QStringLiteral("线条"));
    EXPECT_EQ(t.Text(2, Col::ColNumber), QStringLiteral("1"));
    EXPECT_EQ(t.Text(5, Col::ColNumber), QStringLiteral("4"));
    EXPECT_EQ(t.Text(2, Col::ColDir), QStringLiteral("左边"));
    EXPECT_EQ(t.Text(2, Col::ColX), QStringLiteral("10.5"));
    EXPECT_EQ(t.Text(2, Col::ColCash), QStringLiteral("103"));
    EXPECT_EQ(t.Text(3, Col::ColBold), QStringLiteral("√"));
    EXPECT_EQ(t.Text(2, Col::ColBold), QString());
    EXPECT_EQ(t.Color(2), 0);
    EXPECT_EQ(t.grid().CellColor(2, Col::ColColor), GridFiller::kBlack);
    EXPECT_EQ(t.Color(5), 0xFF0000);
    EXPECT_EQ(t.grid().ColumnWidth(0), 900);
    // The caption-less box shows its fixed text again.
    EXPECT_EQ(ws.BoxText(4), QStringLiteral("仅限转账"));
}

TEST_F(FormatStoreTest, SavingUnderAnotherNameMakesACompleteNewSet)
{
    Workspace ws;
    MakeCheque(ws);
    ASSERT_TRUE(Store().SaveFormat(ws));
    const qint64 amount = ws.table.Id(2), money = ws.table.Id(3);
    ASSERT_TRUE(Store().SaveFormat(ws, QStringLiteral("副本")));
    const qint64 newAmount = ws.table.Id(2), newMoney = ws.table.Id(3);
    EXPECT_GT(newAmount, money);
    EXPECT_EQ(Field(QStringLiteral("ID=%1").arg(newMoney), "RCtl"), QString::number(newAmount));
    EXPECT_EQ(Field(QStringLiteral("ID=%1").arg(newMoney), "SumID"), QString::number(newAmount) + QStringLiteral(".5"));
    // The original is untouched.
    EXPECT_EQ(Count(QStringLiteral("Fmt='支票''s'")), 5);
    EXPECT_EQ(Field(QStringLiteral("ID=%1").arg(money), "RCtl"), QString::number(amount));
    EXPECT_EQ(Count(QStringLiteral("Fmt='副本'")), 5);
}

TEST_F(FormatStoreTest, SaveAsCopiesTheBackgroundAndAsksBeforeOverwriting)
{
    Workspace ws;
    MakeCheque(ws);
    ASSERT_TRUE(Store().SaveFormat(ws));
    const QString background = BackgroundImages::BackgroundPath(mApp.Folder(), ws.formatName);
    QFile picture(background);
    ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
    picture.write("jpeg");
    picture.close();
    bool defaultsStored = false;

    ASSERT_TRUE(Store().SaveFormatAs(ws, QStringLiteral("票/据"), mApp.prompter, mApp.Folder(), [&] { defaultsStored = true; }));
    EXPECT_TRUE(defaultsStored);
    EXPECT_EQ(ws.formatName, QStringLiteral("票/据"));
    EXPECT_EQ(Field(QStringLiteral("Fmt=''"), "LBL"), QStringLiteral("票/据"));
    EXPECT_EQ(Count(QStringLiteral("Fmt='票/据'")), 5);
    QFile copy(BackgroundImages::BackgroundPath(mApp.Folder(), QStringLiteral("票/据")));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), QByteArray("jpeg"));
    EXPECT_TRUE(mApp.prompter.shown.isEmpty());

    // Saving as a name in use asks; No leaves the other format alone.
    ws.table.SetText(2, Col::ColLbl, QStringLiteral("改过"));
    EXPECT_FALSE(Store().SaveFormatAs(ws, QStringLiteral("支票's"), mApp.prompter, mApp.Folder()));
    EXPECT_EQ(mApp.prompter.shown, QStringList{QStringLiteral("该格式已经存在，是否覆盖？")});
    EXPECT_EQ(Count(QStringLiteral("Fmt='支票''s' AND LBL='改过'")), 0);
    mApp.prompter.QueueAsk(true);
    EXPECT_TRUE(Store().SaveFormatAs(ws, QStringLiteral("支票's"), mApp.prompter, mApp.Folder()));
    EXPECT_EQ(Count(QStringLiteral("Fmt='支票''s' AND LBL='改过'")), 1);
}

TEST_F(FormatStoreTest, RemovedElementsAreDeletedOnSave)
{
    Workspace ws;
    MakeCheque(ws);
    ASSERT_TRUE(Store().SaveFormat(ws));
    const qint64 gone = ws.table.Id(5);
    ws.table.grid().RemoveRow(5);
    ASSERT_TRUE(Store().SaveFormat(ws));
    EXPECT_EQ(Count(QStringLiteral("ID=%1").arg(gone)), 0);
    EXPECT_EQ(Count(QStringLiteral("Fmt='支票''s'")), 4);
}

TEST_F(FormatStoreTest, FontSizesFollowTheScreenOfTheSave)
{
    Workspace ws;
    MakeCheque(ws);
    ASSERT_TRUE(Store().SaveFormat(ws)); // the fixed screen is 19200 twips wide
    mApp.screen = FixedScreenInfo(15360, 8640, 600);
    Workspace small;
    Store().LoadFormat(small, QStringLiteral("支票's"));
    EXPECT_NEAR(small.displayScale, (15360 - 340.0) / (19200 - 340.0), 1e-12);
    EXPECT_EQ(small.table.Text(2, Col::ColFontSize), QStringLiteral("9.56")); // 12 × 0.7964
    ASSERT_TRUE(Store().SaveFormat(small));
    EXPECT_EQ(Field(QStringLiteral("LBL='金额'"), "fSize"), QStringLiteral("9.56"));
    EXPECT_EQ(Field(QStringLiteral("LBL='") + FormatStore::WholeFormatLabel() + QStringLiteral("'"), "Color"),
              QStringLiteral("15360"));

    EXPECT_DOUBLE_EQ(FormatStore::DisplayScale(0, 15360), 1.0);
    EXPECT_DOUBLE_EQ(FormatStore::DisplayScale(19200, 19200), 1.0);
}

TEST_F(FormatStoreTest, PrintSettingsAreStoredWithoutTouchingTheDesign)
{
    Workspace ws;
    MakeCheque(ws);
    ASSERT_TRUE(Store().SaveFormat(ws));
    // Another screen: storing the print settings must not make the stored font sizes
    // relative to it.
    mApp.screen = FixedScreenInfo(15360, 8640, 600);
    Workspace open;
    Store().LoadFormat(open, ws.formatName);
    open.offsetXText = QStringLiteral("2.5");
    open.offsetYText = QStringLiteral("-1");
    open.setPaper = true;
    open.printRulers = true;
    open.table.SetText(2, Col::ColX, QStringLiteral("99")); // an unsaved design change
    ASSERT_TRUE(Store().StorePrintSettings(open));

    const QString whole = QStringLiteral("LBL='") + FormatStore::WholeFormatLabel() + QStringLiteral("'");
    EXPECT_EQ(Field(whole, "X"), QStringLiteral("7.5"));
    EXPECT_EQ(Field(whole, "Y"), QStringLiteral("11"));
    EXPECT_EQ(Field(whole, "Color"), QStringLiteral("19200"));
    EXPECT_EQ(Field(QStringLiteral("LBL='金额'"), "X"), QStringLiteral("10.5"));
    Workspace again;
    Store().LoadFormat(again, ws.formatName);
    EXPECT_TRUE(again.setPaper);
    EXPECT_FALSE(again.backgroundPrint);
    EXPECT_TRUE(again.printRulers);
    EXPECT_EQ(again.offsetXText, QStringLiteral("2.5"));
    EXPECT_EQ(again.offsetYText, QStringLiteral("-1"));

    Workspace missing;
    missing.formatName = QStringLiteral("没有");
    EXPECT_FALSE(Store().StorePrintSettings(missing));
}

TEST_F(FormatStoreTest, AMissingWholeFormatRowKeepsThePageSettings)
{
    Workspace ws;
    ws.widthText = QStringLiteral("99");
    EXPECT_FALSE(Store().LoadWholeFormat(ws, QStringLiteral("没有")));
    EXPECT_EQ(ws.widthText, QStringLiteral("99"));
}

TEST_F(FormatStoreTest, TheLastFormatIsRemembered)
{
    Workspace ws;
    ws.formatName = QStringLiteral("O'Brien的支票");
    ws.options = {1, 1, 0, 1, 1};
    Store().RememberLastFormat(ws);
    EXPECT_EQ(Field(QStringLiteral("Fmt=''"), "fName"), QStringLiteral("1§☆§1§☆§0"));
    Workspace next;
    EXPECT_EQ(Store().ReadLastFormat(next), QStringLiteral("O'Brien的支票"));
    EXPECT_EQ(next.options, (std::array<int, 5>{1, 1, 0, 0, 0}));
    Db().ExecuteSql(QStringLiteral("UPDATE Fmt SET fName='2.5§☆§abc§☆§1.5' WHERE Fmt=''"));
    Store().ReadLastFormat(next);
    EXPECT_EQ(next.options[0], 2);
    EXPECT_EQ(next.options[1], 0);
    EXPECT_EQ(next.options[2], 2);
}

TEST_F(FormatStoreTest, TheCommandLineListsAndShowsFormats)
{
    Workspace ws;
    MakeCheque(ws);
    ASSERT_TRUE(Store().SaveFormat(ws));
    mApp.app->Db().Close(); // the other program opens the file itself
    QProcess process;
    process.start(QStringLiteral(KESTRIO_BINARY),
                  {QStringLiteral("--data-dir"), mApp.Folder(), QStringLiteral("show-format"), QStringLiteral("支票's")});
    ASSERT_TRUE(process.waitForFinished(60000));
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("ID\t序号\t标签内容\t标签位置\t横向位置(毫米)")));
    EXPECT_EQ(lines[1].split(QLatin1Char('\t')).value(Col::ColLbl), QStringLiteral("金额"));
    EXPECT_EQ(lines[4].split(QLatin1Char('\t')).value(Col::ColColor), QString::number(0xFF0000));

    process.start(QStringLiteral(KESTRIO_BINARY),
                  {QStringLiteral("--data-dir"), mApp.Folder(), QStringLiteral("show-format"), QStringLiteral("没有")});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    process.start(QStringLiteral(KESTRIO_BINARY), {QStringLiteral("--data-dir"), mApp.Folder(), QStringLiteral("formats")});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()), QStringLiteral("支票's\n"));
}

} // namespace
} // namespace kestrio
