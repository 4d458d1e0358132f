// The library of formats against the real database: listing, choosing, saving, new formats,
// deleting, the format list grid and its search.
#include "TestApp.h"
#include "entry/HistoryRecords.h"
#include "format/DemoFormats.h"
#include "format/FormatLibrary.h"
#include "format/FormatStore.h"
#include "format/Grid.h"
#include "format/GridFiller.h"
#include "format/Workspace.h"
#include "images/BackgroundImages.h"

#include <QFile>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

using Col = ElementTable::Column;

const QString kRatio = QStringLiteral("单据的宽度与高度比例应为1：20到20：1之间,请重新输入！");
const QString kNameQuestion = QStringLiteral("请输入需要新建的格式名称：");
const QString kWidthQuestion = QStringLiteral("输入格式模板宽度（单位：毫米）：");
const QString kHeightQuestion = QStringLiteral("输入格式模板高度（单位：毫米）：");

class FormatLibraryTest : public ::testing::Test {
protected:
    FormatLibrary Library() { return FormatLibrary(*mApp.app); }
    FormatStore Store() { return {mApp.app->DbOp(), mApp.progress, mApp.screen}; }
    DbOperate& Db() { return mApp.app->DbOp(); }
    int Count(const QString& table, const QString& condition)
    {
        return Db().OpenQuery(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE ") + condition)
            .RecordCount();
    }
    QString Whole(const QString& name, const char* column)
    {
        return Db().FieldWhere(QStringLiteral("Fmt"),
                               QStringLiteral("Fmt='") + name + QStringLiteral("' AND LBL='") +
                                   FormatStore::WholeFormatLabel() + QStringLiteral("'"),
                               QString::fromLatin1(column));
    }
    // A saved format of one text box with the given page size.
    void MakeFormat(const QString& name, const QString& width = QStringLiteral("200"),
                    const QString& height = QStringLiteral("80"))
    {
        Workspace ws;
        ws.formatName = name;
        ws.widthText = width;
        ws.heightText = height;
        const int row = ws.table.AddElementRow(ElementTable::TextBox);
        ws.table.SetText(row, Col::ColLbl, QStringLiteral("金额"));
        ASSERT_TRUE(Store().SaveFormat(ws));
    }

    test::TestApp mApp;
};

TEST_F(FormatLibraryTest, TheLibraryListsFormatsWithAWholeFormatRowByName)
{
    ASSERT_TRUE(mApp.Open());
    QStringList demo = DemoFormats::Names();
    std::sort(demo.begin(), demo.end());
    EXPECT_EQ(Library().FormatNames(), demo);
    EXPECT_EQ(Library().FormatNames(QStringLiteral("支票")),
              (QStringList{QStringLiteral("现金支票"), QStringLiteral("转账支票")}));
    EXPECT_EQ(Library().FormatNames(QStringLiteral("单")),
              (QStringList{QStringLiteral("进账单"), QStringLiteral("送货单")}));
    EXPECT_TRUE(Library().FormatNames(QStringLiteral("工资")).isEmpty());

    // Rows without a whole-format row are no format of the list, but the chooser shows them.
    Db().ExecuteSql(QStringLiteral("INSERT INTO Fmt(Fmt,LBL) VALUES('残缺','x')"));
    EXPECT_FALSE(Library().FormatNames().contains(QStringLiteral("残缺")));
    const QStringList chooser = Library().ChooserNames();
    EXPECT_TRUE(chooser.contains(QStringLiteral("残缺")));
    EXPECT_FALSE(chooser.contains(QString()));
    EXPECT_EQ(chooser.size(), demo.size() + 1);
}

TEST_F(FormatLibraryTest, AnEmptyLibraryListsNothing)
{
    ASSERT_TRUE(mApp.OpenEmpty());
    EXPECT_TRUE(Library().FormatNames().isEmpty());
    EXPECT_TRUE(Library().ChooserNames().isEmpty());
}

TEST_F(FormatLibraryTest, TheChooserEntriesAndItsAnswer)
{
    Workspace ws;
    const int row = ws.table.AddElementRow(ElementTable::TextBox);
    ws.table.SetText(row, Col::ColLbl, QStringLiteral("金额"));
    EXPECT_EQ(FormatLibrary::ControlEntries(ws.table), QStringList{QStringLiteral("-1｜1｜金额")});
    EXPECT_EQ(FormatLibrary::KindEntries().first(), QStringLiteral("0｜文本框"));
    EXPECT_EQ(FormatLibrary::KindEntries().last(), QStringLiteral("4｜标签"));
    EXPECT_EQ(FormatLibrary::ChosenFromText(QStringLiteral("  3｜线条 ")), QStringLiteral("3"));
    EXPECT_EQ(FormatLibrary::ChosenFromText(QStringLiteral(" 转账支票 ")), QStringLiteral("转账支票"));
}

TEST_F(FormatLibraryTest, TheFormatListGridMarksTheCurrentFormat)
{
    ASSERT_TRUE(mApp.Open());
    Grid grid;
    const int current = Library().FillFormatList(grid, QStringLiteral("转账支票"));
    EXPECT_EQ(grid.tag, QStringLiteral("Fmt"));
    ASSERT_EQ(grid.RowCount(), 2 + 4);
    EXPECT_EQ(grid.FixedCols(), 2);
    EXPECT_EQ(grid.Text(1, 2), QStringLiteral("选择"));
    EXPECT_EQ(grid.Text(1, 3), QStringLiteral("格式名称"));
    EXPECT_EQ(grid.Text(1, 4), QStringLiteral("宽(毫米)"));
    EXPECT_EQ(grid.Text(1, 5), QStringLiteral("高(毫米)"));
    ASSERT_GE(current, 2);
    EXPECT_EQ(grid.Text(current, 3), QStringLiteral("转账支票"));
    EXPECT_EQ(grid.Text(current, 2), QStringLiteral("√"));
    for (int r = 2; r < grid.RowCount(); ++r) {
        EXPECT_EQ(grid.Text(r, 1), QString::number(r - 1));
        if (r != current) EXPECT_EQ(grid.Text(r, 2), QString());
    }
    EXPECT_EQ(grid.Text(current, 4), Whole(QStringLiteral("转账支票"), "W"));
    EXPECT_EQ(Library().FillFormatList(grid, QStringLiteral("没有")), -1);
}

TEST_F(FormatLibraryTest, TheSearchWrapsAndAnEmptyKeywordIsRefused)
{
    ASSERT_TRUE(mApp.OpenEmpty());
    for (const char* name : {"A支票", "B进账单", "C支票", "D送货单"}) MakeFormat(QString::fromUtf8(name));
    Grid grid;
    Library().FillFormatList(grid, {});
    FormatLibrary library = Library();
    EXPECT_EQ(library.FindInGrid(grid, QStringLiteral("支票"), 3, 3, 2), 4);
    EXPECT_EQ(library.FindInGrid(grid, QStringLiteral("支票"), 3, 3, 4), 2); // wraps
    // Found only in the current row: the whole list is visited and that row comes back.
    EXPECT_EQ(library.FindInGrid(grid, QStringLiteral("送货"), 3, 3, 5), 5);
    EXPECT_EQ(library.FindInGrid(grid, QStringLiteral("工资"), 3, 3, 2), -1);
    // Case counts; the name column only.
    EXPECT_EQ(library.FindInGrid(grid, QStringLiteral("a"), 3, 3, 2), -1);
    EXPECT_TRUE(mApp.prompter.shown.isEmpty());
    EXPECT_EQ(library.FindInGrid(grid, QString(), 3, 3, 2), -1);
    EXPECT_EQ(mApp.prompter.shown, QStringList{QStringLiteral("请先输入关键词！")});
}

TEST_F(FormatLibraryTest, NewFormatAcceptsOneToTwentyAndRefusesBeyond)
{
    ASSERT_TRUE(mApp.OpenEmpty());
    MakeFormat(QStringLiteral("旧格式"));
    Workspace ws;
    Store().LoadFormat(ws, QStringLiteral("旧格式"));
    int resized = 0, removed = 0;
    FormatLibrary library = Library();
    library.hooks().resizePage = [&] { ++resized; };
    library.hooks().removeElements = [&] { ++removed; };

    mApp.prompter.QueueInput(QStringLiteral("新格式"));
    mApp.prompter.QueueInput(QStringLiteral("10"));
    mApp.prompter.QueueInput(QStringLiteral("201"));
    mApp.prompter.QueueInput(QStringLiteral("10"));
    mApp.prompter.QueueInput(QStringLiteral("200"));
    ASSERT_TRUE(library.NewFormat(ws));
    EXPECT_EQ(mApp.prompter.shown, (QStringList{kNameQuestion, kWidthQuestion, kHeightQuestion, kRatio,
                                                kWidthQuestion, kHeightQuestion}));
    // Both sizes are asked again with the current page as preset.
    EXPECT_EQ(mApp.prompter.presets,
              (QStringList{QString(), QStringLiteral("200"), QStringLiteral("80"), QStringLiteral("200"),
                           QStringLiteral("80")}));
    EXPECT_EQ(ws.formatName, QStringLiteral("新格式"));
    EXPECT_EQ(ws.widthText, QStringLiteral("10"));
    EXPECT_EQ(ws.heightText, QStringLiteral("200"));
    EXPECT_EQ(resized, 1);
    EXPECT_EQ(removed, 1);
    // Stored empty: only its whole-format row; the old format is as it was.
    EXPECT_EQ(Count(QStringLiteral("Fmt"), QStringLiteral("Fmt='新格式'")), 1);
    EXPECT_EQ(Whole(QStringLiteral("新格式"), "H"), QStringLiteral("200"));
    EXPECT_EQ(Count(QStringLiteral("Fmt"), QStringLiteral("Fmt='旧格式'")), 2);
    EXPECT_EQ(Db().FieldWhere(QStringLiteral("Fmt"), QStringLiteral("Fmt=''"), QStringLiteral("LBL")),
              QStringLiteral("新格式"));
}

TEST_F(FormatLibraryTest, ANewFormatKeepsTheOldFormatsDefaults)
{
    ASSERT_TRUE(mApp.OpenEmpty());
    MakeFormat(QStringLiteral("旧格式"));
    Workspace ws;
    Store().LoadFormat(ws, QStringLiteral("旧格式"));
    ws.SetBoxText(ElementTable::kFirstRow, QStringLiteral("壹佰元"));
    HistoryRecords records(Db(), mApp.prompter);
    FormatLibrary library = Library();
    library.hooks().storeDefaults = [&] { records.SaveDefaults(ws); };
    for (const char* answer : {"新格式", "200", "80"}) mApp.prompter.QueueInput(QString::fromUtf8(answer));
    ASSERT_TRUE(library.NewFormat(ws));
    EXPECT_EQ(ws.formatName, QStringLiteral("新格式"));
    // The typed contents stay the old format's defaults; emptying the boxes does not wipe them.
    EXPECT_EQ(Db().FieldWhere(QStringLiteral("默认"), QStringLiteral("Fmt='旧格式'"), QStringLiteral("Con")),
              QStringLiteral("壹佰元"));
}

// A new format made while a demo form with its background is open starts blank, with the
// paper set to its own size.
TEST_F(FormatLibraryTest, ANewFormatStartsWithoutBackgroundAndWithAutomaticPaper)
{
    ASSERT_TRUE(mApp.Open());
    Workspace ws;
    Store().LoadFormat(ws, QStringLiteral("进账单"));
    ASSERT_TRUE(BackgroundImages::HasBackground(mApp.Folder(), QStringLiteral("进账单")));
    ws.setPaper = false;
    FormatLibrary library = Library();
    for (const char* answer : {"空白单", "200", "80"}) mApp.prompter.QueueInput(QString::fromUtf8(answer));
    ASSERT_TRUE(library.NewFormat(ws));
    EXPECT_FALSE(BackgroundImages::HasBackground(mApp.Folder(), QStringLiteral("空白单")));
    Workspace reopened;
    Store().LoadFormat(reopened, QStringLiteral("空白单"));
    EXPECT_TRUE(reopened.setPaper);
}

TEST_F(FormatLibraryTest, NewFormatTwentyToOneIsAcceptedAndZeroIsAskedAgain)
{
    ASSERT_TRUE(mApp.OpenEmpty());
    Workspace ws;
    ws.formatName = QStringLiteral("旧");
    FormatLibrary library = Library();
    mApp.prompter.QueueInput(QStringLiteral("宽表"));
    mApp.prompter.QueueInput(QStringLiteral("0"));
    mApp.prompter.QueueInput(QStringLiteral("200"));
    mApp.prompter.QueueInput(QStringLiteral("abc"));
    mApp.prompter.QueueInput(QStringLiteral("10"));
    const auto answers = library.AskNewFormat(ws);
    ASSERT_TRUE(answers);
    EXPECT_EQ(answers->name, QStringLiteral("宽表"));
    EXPECT_EQ(answers->width, QStringLiteral("200"));
    EXPECT_EQ(answers->height, QStringLiteral("10"));
    EXPECT_EQ(mApp.prompter.shown,
              (QStringList{kNameQuestion, kWidthQuestion, QStringLiteral("单据宽度不能为零！"), kWidthQuestion,
                           kHeightQuestion, QStringLiteral("单据高度不能为零！"), kHeightQuestion}));
}

TEST_F(FormatLibraryTest, NewFormatStopsOnAnEmptyAnswerOrCancel)
{
    ASSERT_TRUE(mApp.OpenEmpty());
    Workspace ws;
    FormatLibrary library = Library();
    mApp.prompter.QueueInput(QString());
    EXPECT_FALSE(library.NewFormat(ws));
    mApp.prompter.QueueInput(QStringLiteral("新"));
    mApp.prompter.QueueInput(QStringLiteral("100"));
    mApp.prompter.QueueInput(std::nullopt);
    EXPECT_FALSE(library.NewFormat(ws));
    mApp.prompter.QueueInput(QStringLiteral("新"));
    mApp.prompter.QueueInput(QString());
    EXPECT_FALSE(library.NewFormat(ws));
    EXPECT_TRUE(Library().FormatNames().isEmpty());
}

TEST_F(FormatLibraryTest, NewFormatOfTheSamePageSizeKeepsTheCanvas)
{
    ASSERT_TRUE(mApp.OpenEmpty());
    MakeFormat(QStringLiteral("旧格式"));
    Workspace ws;
    Store().LoadFormat(ws, QStringLiteral("旧格式"));
    int resized = 0;
    FormatLibrary library = Library();
    library.hooks().resizePage = [&] { ++resized; };
    ASSERT_TRUE(library.MakeNewFormat(ws, {QStringLiteral("同尺寸"), QStringLiteral("200"), QStringLiteral("80")}));
    EXPECT_EQ(resized, 0);
    EXPECT_EQ(ws.table.RowCount(), ElementTable::kFirstRow);
    EXPECT_EQ(Count(QStringLiteral("Fmt"), QStringLiteral("Fmt='同尺寸'")), 1);
}

TEST_F(FormatLibraryTest, NewFormatUnderATakenNameAsksBeforeOverwriting)
{
    ASSERT_TRUE(mApp.OpenEmpty());
    MakeFormat(QStringLiteral("旧格式"));
    MakeFormat(QStringLiteral("已有"));
    Workspace ws;
    Store().LoadFormat(ws, QStringLiteral("旧格式"));
    EXPECT_FALSE(Library().MakeNewFormat(ws, {QStringLiteral("已有"), QStringLiteral("100"), QStringLiteral("50")}));
    EXPECT_EQ(mApp.prompter.shown.last(), QStringLiteral("该格式已经存在，是否覆盖？"));
    EXPECT_EQ(Count(QStringLiteral("Fmt"), QStringLiteral("Fmt='已有'")), 2);
}

TEST_F(FormatLibraryTest, DeleteRefusesTheCurrentFormat)
{
    ASSERT_TRUE(mApp.Open());
    const int rows = Count(QStringLiteral("Fmt"), QStringLiteral("Fmt='转账支票'"));
    EXPECT_FALSE(Library().DeleteFormat(QStringLiteral("转账支票"), QStringLiteral("转账支票")));
    EXPECT_EQ(mApp.prompter.shown, QStringList{QStringLiteral("此格式为当前格式，不允许删除！")});
    EXPECT_EQ(Count(QStringLiteral("Fmt"), QStringLiteral("Fmt='转账支票'")), rows);
}

TEST_F(FormatLibraryTest, DeleteAsksAndRemovesBillsMappingAndRows)
{
    ASSERT_TRUE(mApp.Open());
    const QString name = QStringLiteral("进账单");
    Db().ExecuteSql(QStringLiteral("INSERT INTO 历史(ID,Fmt,CID,Con) VALUES(1,'进账单',5,'x')"));
    Db().ExecuteSql(QStringLiteral("INSERT INTO 映射(ID,Fmt,Map) VALUES(1,'进账单','a')"));
    Db().ExecuteSql(QStringLiteral("INSERT INTO 默认(ID,Fmt,Con) VALUES(5,'进账单','x')"));
    Db().ExecuteSql(QStringLiteral("INSERT INTO 历史(ID,Fmt,CID,Con) VALUES(1,'送货单',5,'y')"));
    const QString background = BackgroundImages::BackgroundPath(mApp.Folder(), name);
    ASSERT_TRUE(QFile::exists(background));

    // No: nothing happens.
    EXPECT_FALSE(Library().DeleteFormat(name, QStringLiteral("转账支票")));
    EXPECT_EQ(mApp.prompter.shown, QStringList{QStringLiteral("您确定要删除格式：“进账单”？")});
    EXPECT_GT(Count(QStringLiteral("Fmt"), QStringLiteral("Fmt='进账单'")), 1);

    mApp.prompter.QueueAsk(true);
    EXPECT_TRUE(Library().DeleteFormat(name, QStringLiteral("转账支票")));
    EXPECT_EQ(Count(QStringLiteral("Fmt"), QStringLiteral("Fmt='进账单'")), 0);
    EXPECT_EQ(Count(QStringLiteral("历史"), QStringLiteral("Fmt='进账单'")), 0);
    EXPECT_EQ(Count(QStringLiteral("映射"), QStringLiteral("Fmt='进账单'")), 0);
    // The defaults stay, the background goes; other formats are untouched.
    EXPECT_GT(Count(QStringLiteral("默认"), QStringLiteral("Fmt='进账单'")), 0);
    EXPECT_FALSE(QFile::exists(background));
    EXPECT_TRUE(QFile::exists(BackgroundImages::BackgroundPath(mApp.Folder(), QStringLiteral("送货单"))));
    EXPECT_EQ(Count(QStringLiteral("历史"), QStringLiteral("Fmt='送货单'")), 1);
    EXPECT_FALSE(Library().FormatNames().contains(name));

    // Two names that lead to one picture file (kept from older data): it stays while either does.
    for (const QString& shared : {QStringLiteral("甲*"), QStringLiteral("甲0")})
        ASSERT_TRUE(Db().ExecuteSql(QStringLiteral("INSERT INTO Fmt(Fmt,LBL) VALUES('%1','%2')")
                                        .arg(shared, FormatStore::WholeFormatLabel())));
    const QString picture = BackgroundImages::BackgroundPath(mApp.Folder(), QStringLiteral("甲0"));
    QFile(picture).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::exists(picture));
    mApp.prompter.QueueAsk(true);
    EXPECT_TRUE(Library().DeleteFormat(QStringLiteral("甲*"), QStringLiteral("转账支票")));
    EXPECT_TRUE(QFile::exists(picture));
    mApp.prompter.QueueAsk(true);
    EXPECT_TRUE(Library().DeleteFormat(QStringLiteral("甲0"), QStringLiteral("转账支票")));
    EXPECT_FALSE(QFile::exists(picture));
}

TEST_F(FormatLibraryTest, DeleteWithoutANameAsksForAListedOne)
{
    ASSERT_TRUE(mApp.Open());
    FormatLibrary library = Library();
    bool allowEdit = true;
    library.hooks().askFormatName = [&](bool edit) {
        allowEdit = edit;
        return QString();
    };
    EXPECT_FALSE(library.DeleteFormat({}, QStringLiteral("转账支票")));
    EXPECT_FALSE(allowEdit);
    EXPECT_TRUE(mApp.prompter.shown.isEmpty());

    library.hooks().askFormatName = [](bool) { return QStringLiteral("送货单"); };
    mApp.prompter.QueueAsk(true);
    EXPECT_TRUE(library.DeleteFormat({}, QStringLiteral("转账支票")));
    EXPECT_EQ(Count(QStringLiteral("Fmt"), QStringLiteral("Fmt='送货单'")), 0);
}

TEST_F(FormatLibraryTest, ChoosingLoadsRemembersAndKeepsTheOldDefaults)
{
    ASSERT_TRUE(mApp.Open());
    Workspace ws;
    FormatLibrary library = Library();
    QStringList calls;
    library.hooks().storeDefaults = [&] { calls << QStringLiteral("defaults of ") + ws.formatName; };
    library.hooks().afterChoose = [&] { calls << QStringLiteral("after ") + ws.formatName; };
    library.hooks().load.sizeCanvas = [&] { calls << QStringLiteral("canvas"); };

    ASSERT_TRUE(library.ChooseFormat(ws, QStringLiteral("进账单"), false));
    EXPECT_EQ(ws.formatName, QStringLiteral("进账单"));
    EXPECT_GT(ws.table.RowCount(), ElementTable::kFirstRow);
    EXPECT_EQ(ws.widthText, Whole(QStringLiteral("进账单"), "W"));
    EXPECT_EQ(Db().FieldWhere(QStringLiteral("Fmt"), QStringLiteral("Fmt=''"), QStringLiteral("LBL")),
              QStringLiteral("进账单"));
    EXPECT_EQ(calls, (QStringList{QStringLiteral("defaults of "), QStringLiteral("canvas"),
                                  QStringLiteral("after 进账单")}));

    // The same name again does nothing unless forced; then no defaults are stored.
    calls.clear();
    EXPECT_FALSE(library.ChooseFormat(ws, QStringLiteral("进账单"), false));
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_TRUE(library.ChooseFormat(ws, QStringLiteral("进账单"), true));
    EXPECT_EQ(calls, (QStringList{QStringLiteral("canvas"), QStringLiteral("after 进账单")}));

    // An empty name asks with the list; cancel changes nothing.
    calls.clear();
    library.hooks().chooseFromList = [] { return QString(); };
    EXPECT_FALSE(library.ChooseFormat(ws, {}, false));
    EXPECT_TRUE(calls.isEmpty());
    library.hooks().chooseFromList = [] { return QStringLiteral("送货单"); };
    EXPECT_TRUE(library.ChooseFormat(ws, {}, false));
    EXPECT_EQ(ws.formatName, QStringLiteral("送货单"));
    EXPECT_EQ(calls.first(), QStringLiteral("defaults of 进账单"));
}

TEST_F(FormatLibraryTest, SaveAsAsksForANameAndBeforeOverwriting)
{
    ASSERT_TRUE(mApp.Open());
    Workspace ws;
    FormatLibrary library = Library();
    int checks = 0;
    library.hooks().checkBoxes = [&] { ++checks; };
    ASSERT_TRUE(library.ChooseFormat(ws, QStringLiteral("进账单"), true));
    const int rows = Count(QStringLiteral("Fmt"), QStringLiteral("Fmt='进账单'"));

    // No name and the chooser cancelled: nothing.
    bool allowEdit = false;
    library.hooks().askFormatName = [&](bool edit) {
        allowEdit = edit;
        return QString();
    };
    EXPECT_FALSE(library.SaveFormatAs(ws));
    EXPECT_TRUE(allowEdit);
    EXPECT_EQ(checks, 1);

    // A taken name answered No: nothing is written, the current format stays.
    EXPECT_FALSE(library.SaveFormatAs(ws, QStringLiteral("送货单")));
    EXPECT_EQ(mApp.prompter.shown.last(), QStringLiteral("该格式已经存在，是否覆盖？"));
    EXPECT_EQ(ws.formatName, QStringLiteral("进账单"));

    // A new name typed into the chooser: a complete copy, now current, with the background.
    library.hooks().askFormatName = [](bool) { return QStringLiteral("进账单二"); };
    ASSERT_TRUE(library.SaveFormatAs(ws));
    EXPECT_EQ(ws.formatName, QStringLiteral("进账单二"));
    EXPECT_EQ(Count(QStringLiteral("Fmt"), QStringLiteral("Fmt='进账单二'")), rows);
    EXPECT_EQ(Count(QStringLiteral("Fmt"), QStringLiteral("Fmt='进账单'")), rows);
    EXPECT_TRUE(BackgroundImages::HasBackground(mApp.Folder(), QStringLiteral("进账单二")));

    // Overwriting after Yes replaces every row of the target.
    mApp.prompter.QueueAsk(true);
    ASSERT_TRUE(library.SaveFormatAs(ws, QStringLiteral("送货单")));
    EXPECT_EQ(Count(QStringLiteral("Fmt"), QStringLiteral("Fmt='送货单'")), rows);

    // Saving the current format checks the boxes and writes it under its own name.
    checks = 0;
    ASSERT_TRUE(library.SaveCurrentFormat(ws));
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(Count(QStringLiteral("Fmt"), QStringLiteral("Fmt='送货单'")), rows);
}

TEST_F(FormatLibraryTest, PageSizeFollowsTheRatioRule)
{
    EXPECT_TRUE(FormatLibrary::RatioAllowed(10, 200));
    EXPECT_TRUE(FormatLibrary::RatioAllowed(200, 10));
    EXPECT_FALSE(FormatLibrary::RatioAllowed(10, 201));
    EXPECT_FALSE(FormatLibrary::RatioAllowed(201, 10));
    EXPECT_FALSE(FormatLibrary::RatioAllowed(100, 0));
    EXPECT_FALSE(FormatLibrary::RatioAllowed(0, 100));

    ASSERT_TRUE(mApp.OpenEmpty());
    Workspace ws;
    int resized = 0;
    FormatLibrary library = Library();
    library.hooks().resizePage = [&] { ++resized; };
    EXPECT_FALSE(library.ChangePageSize(ws, QStringLiteral("100"), QStringLiteral("0")));
    EXPECT_EQ(mApp.prompter.shown, QStringList{QStringLiteral("单据的宽度与高度比例应为1：20到20：1之间！")});
    EXPECT_TRUE(library.ChangePageSize(ws, ws.widthText, ws.heightText));
    EXPECT_EQ(resized, 0);
    EXPECT_TRUE(library.ChangePageSize(ws, QStringLiteral("210.5"), QStringLiteral("99")));
    EXPECT_EQ(resized, 1);
    EXPECT_EQ(ws.widthText, QStringLiteral("210.5"));
    EXPECT_EQ(ws.heightText, QStringLiteral("99"));
}

} // namespace
} // namespace kestrio

namespace kestrio {
namespace {

TEST(FormatListOrderTest, NamesSortByPinyinAndAreNumberedAnew)
{
    Grid grid;
    GridFiller::LayoutGrid(grid, FormatLibrary::FormatListColumnNames(), FormatLibrary::FormatListHeaders());
    for (const char16_t* name : {u"中国银行支票", u"北京进账单", u"送货单", u"安徽汇款单"}) {
        const int row = grid.AddRow();
        grid.SetText(row, FormatLibrary::kNameColumn, QString::fromUtf16(name));
        grid.SetText(row, FormatLibrary::kNumberColumn, QStringLiteral("9"));
    }
    FormatLibrary::SortByPinyin(grid);
    QStringList names;
    for (int row = grid.FixedRows(); row < grid.RowCount(); ++row) {
        names << grid.Text(row, FormatLibrary::kNameColumn);
        EXPECT_EQ(grid.Text(row, FormatLibrary::kNumberColumn), QString::number(row - grid.FixedRows() + 1));
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("安徽汇款单"), QStringLiteral("北京进账单"),
                                  QStringLiteral("送货单"), QStringLiteral("中国银行支票")}));
}

} // namespace
} // namespace kestrio
