// What boxes do when they are clicked, ticked, focused and left; `kestrio fill` on the demo formats.
#include "TestApp.h"
#include "convert/BoxConverter.h"
#include "entry/AutoFill.h"
#include "entry/DataEntry.h"
#include "entry/HistoryRecords.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

using Col = ElementTable::Column;

// Boxes with stored (positive) IDs, as a saved format has them: the sign of a link tells
// its kind only once the IDs are real.
int AddBox(Workspace& ws, int kind, const char* label, const char* code = "0")
{
    const int row = ws.table.AddElementRow(kind);
    ws.table.SetText(row, Col::ColId, QString::number(100 + row));
    ws.table.SetText(row, Col::ColLbl, QString::fromUtf8(label));
    ws.table.SetText(row, Col::ColCash, QString::fromLatin1(code));
    return row;
}

TEST(DataEntry, ClickingA115BoxTogglesTheTick)
{
    Workspace ws;
    const int tick = AddBox(ws, ElementTable::TextBox, "现金", "115");
    const int plain = AddBox(ws, ElementTable::TextBox, "备注");
    DataEntry::ClickBox(ws, tick);
    EXPECT_EQ(ws.BoxText(tick), QStringLiteral("√"));
    DataEntry::ClickBox(ws, tick);
    EXPECT_EQ(ws.BoxText(tick), QString());
    DataEntry::ClickBox(ws, plain);
    EXPECT_EQ(ws.BoxText(plain), QString());
}

TEST(DataEntry, TickingOneCheckBoxOfARingUnticksTheOthers)
{
    Workspace ws;
    const int a = AddBox(ws, ElementTable::CheckBox, "支票");
    const int b = AddBox(ws, ElementTable::CheckBox, "本票");
    const int c = AddBox(ws, ElementTable::CheckBox, "其他");
    const int self = AddBox(ws, ElementTable::CheckBox, "自己");
    ws.table.SetText(a, Col::ColRCtl, QString::number(ws.table.Id(b)));
    ws.table.SetText(b, Col::ColRCtl, QString::number(ws.table.Id(c)));
    ws.table.SetText(c, Col::ColRCtl, QString::number(ws.table.Id(a)));
    ws.table.SetText(self, Col::ColRCtl, QString::number(ws.table.Id(self)));
    for (int row : {a, b, c, self}) ws.SetBoxContent(row, QStringLiteral("1"));

    DataEntry::TickCheckBox(ws, b);
    EXPECT_EQ(ws.GetBoxContent(a), QString());
    EXPECT_EQ(ws.GetBoxContent(b), QStringLiteral("1"));
    EXPECT_EQ(ws.GetBoxContent(c), QString());
    DataEntry::TickCheckBox(ws, self); // a box linked to itself unticks nothing
    EXPECT_EQ(ws.GetBoxContent(self), QStringLiteral("1"));
}

TEST(DataEntry, RelationColoursFollowLinksSumsAndProducts)
{
    Workspace ws;
    const int amount = AddBox(ws, ElementTable::TextBox, "大写", "103");
    const int money = AddBox(ws, ElementTable::TextBox, "小写", "104");
    const int payee = AddBox(ws, ElementTable::TextBox, "收款人");
    const int account = AddBox(ws, ElementTable::TextBox, "账号");
    const int member = AddBox(ws, ElementTable::TextBox, "数量");
    const int negated = AddBox(ws, ElementTable::TextBox, "折让");
    ws.table.SetText(amount, Col::ColRCtl, QString::number(ws.table.Id(money)));
    ws.table.SetText(money, Col::ColRCtl, QString::number(ws.table.Id(amount)));
    ws.table.SetText(amount, Col::ColRCtl1, QString::number(-ws.table.Id(payee)));
    ws.table.SetText(payee, Col::ColRCtl1, QString::number(-ws.table.Id(account)));
    ws.table.SetText(member, Col::ColSumId, QString::number(-ws.table.Id(amount)));
    ws.table.SetText(negated, Col::ColSumId1, QString::number(ws.table.Id(amount)) + QStringLiteral(".5"));

    const QHash<int, int> colours = DataEntry::RelationColours(ws, amount);
    EXPECT_EQ(colours.value(money), DataEntry::kSameContent);
    EXPECT_EQ(colours.value(payee), DataEntry::kRelatedContent);
    EXPECT_EQ(colours.value(account), DataEntry::kRelatedContent);
    EXPECT_EQ(colours.value(member), DataEntry::kProductMember);
    EXPECT_EQ(colours.value(negated), DataEntry::kSumMember);
    EXPECT_FALSE(colours.contains(amount));
}

TEST(DataEntry, ClearingKeepsFixedTextsAndHonoursTheSelection)
{
    Workspace ws;
    const int fixed = AddBox(ws, ElementTable::TextBox, "");
    const int text = AddBox(ws, ElementTable::TextBox, "收款人");
    const int check = AddBox(ws, ElementTable::CheckBox, "支票");
    const int picture = AddBox(ws, ElementTable::PictureBox, "条码");
    ws.SetBoxText(fixed, QStringLiteral("仅限转账"));
    ws.SetBoxContent(text, QStringLiteral("张三"));
    ws.SetBoxContent(check, QStringLiteral("1"));
    ws.SetBoxContent(picture, QStringLiteral("6901234567892"));

    DataEntry::ClearContents(ws, {check});
    EXPECT_EQ(ws.GetBoxContent(text), QStringLiteral("张三"));
    EXPECT_EQ(ws.GetBoxContent(check), QString());
    DataEntry::ClearContents(ws);
    EXPECT_EQ(ws.BoxText(fixed), QStringLiteral("仅限转账"));
    EXPECT_EQ(ws.GetBoxContent(text), QString());
    EXPECT_EQ(ws.GetBoxContent(picture), QString());
}

TEST(DataEntry, LeavingABoxConvertsItAndFillsItsRing)
{
    test::TestApp t;
    ASSERT_TRUE(t.OpenEmpty());
    Workspace ws;
    const int amount = AddBox(ws, ElementTable::TextBox, "大写", "103");
    const int money = AddBox(ws, ElementTable::TextBox, "小写", "104");
    const int empty = AddBox(ws, ElementTable::TextBox, "空的", "104");
    ws.table.SetText(amount, Col::ColRCtl, QString::number(ws.table.Id(money)));
    ws.table.SetText(money, Col::ColRCtl, QString::number(ws.table.Id(amount)));
    BoxConverter converter(t.clock);
    AutoFill autoFill(t.app->DbOp(), t.clock);
    DataEntry entry(converter, autoFill);
    ws.SetBoxContent(money, QStringLiteral("1234.5"));
    entry.LeaveBox(ws, money);
    EXPECT_EQ(ws.BoxText(money), QStringLiteral("￥1,234.50"));
    EXPECT_EQ(ws.BoxText(amount), QStringLiteral("壹仟贰佰叁拾肆元伍角整"));
    entry.LeaveBox(ws, empty);
    EXPECT_EQ(ws.BoxText(empty), QString());
}

TEST(DataEntry, SaveAndContinueStoresClearsDatesAndNumbers)
{
    test::TestApp t;
    ASSERT_TRUE(t.OpenEmpty());
    Workspace ws;
    ws.formatName = QStringLiteral("收据");
    const int number = AddBox(ws, ElementTable::TextBox, "单号", "122");
    const int day = AddBox(ws, ElementTable::TextBox, "日期", "111");
    const int payee = AddBox(ws, ElementTable::TextBox, "收款人");
    ws.table.grid().SetText(number, Col::ColId, QStringLiteral("-1"));
    ws.table.grid().SetText(day, Col::ColId, QStringLiteral("-2"));
    ws.table.grid().SetText(payee, Col::ColId, QStringLiteral("-3"));
    ASSERT_TRUE(FormatStore(t.app->DbOp(), t.progress, t.screen).SaveFormat(ws));
    BoxConverter converter(t.clock);
    AutoFill autoFill(t.app->DbOp(), t.clock);
    DataEntry entry(converter, autoFill);
    HistoryRecords records(t.app->DbOp(), t.prompter);

    ws.SetBoxText(number, QStringLiteral("NO2024-0099"));
    ws.SetBoxText(day, QStringLiteral("2020-01-01"));
    ws.SetBoxText(payee, QStringLiteral("张三"));
    EXPECT_EQ(entry.SaveAndContinue(ws, records), 1);
    EXPECT_EQ(ws.BoxText(number), QStringLiteral("NO2024-0100"));
    EXPECT_EQ(ws.BoxText(day), QStringLiteral("2026-12-08"));
    EXPECT_EQ(ws.BoxText(payee), QString());
    EXPECT_EQ(entry.SaveAndContinue(ws, records), 2);
    EXPECT_EQ(ws.BoxText(number), QStringLiteral("NO2024-0101"));
}

QString Kestrio(const QString& folder, const QString& command, const QStringList& arguments, int* code = nullptr,
                QString* err = nullptr)
{
    QProcess process;
    process.start(QStringLiteral(KESTRIO_BINARY), QStringList{QStringLiteral("--data-dir"), folder,
                                                               QStringLiteral("--today"), QStringLiteral("2026-12-08"),
                                                               command} +
                                                      arguments);
    process.waitForFinished(60000);
    if (code) *code = process.exitCode();
    if (err) *err = QString::fromUtf8(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString Fill(const QString& folder, const QStringList& arguments, int* code = nullptr, QString* err = nullptr)
{
    return Kestrio(folder, QStringLiteral("fill"), arguments, code, err);
}

TEST(FillCommand, FillsTheDemoFormatsAsAClerkWould)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    QString out = Fill(folder, {QStringLiteral("--format"), QStringLiteral("转账支票"), QStringLiteral("--set"),
                                QStringLiteral("小写金额=1234.5"), QStringLiteral("--set"),
                                QStringLiteral("出票人账号=6222020200001234"), QStringLiteral("--set"),
                                QStringLiteral("付款行名称=工行\"海淀\"支行"), QStringLiteral("--store")});
    EXPECT_TRUE(out.contains(QStringLiteral("出票年\t贰零贰陆\n出票月\t壹拾贰\n出票日\t零捌\n"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("大写金额\t壹仟贰佰叁拾肆元伍角整\n")));
    EXPECT_TRUE(out.contains(QStringLiteral("存根金额\t￥1,234.50\n")));

    // The account of an earlier bill brings its bank back.
    out = Fill(folder, {QStringLiteral("--format"), QStringLiteral("转账支票"), QStringLiteral("--set"),
                        QStringLiteral("出票人账号=6222020200001234")});
    EXPECT_TRUE(out.contains(QStringLiteral("付款行名称\t工行\"海淀\"支行\n"))) << out.toStdString();

    out = Fill(folder, {QStringLiteral("--format"), QStringLiteral("送货单"), QStringLiteral("--set"),
                        QStringLiteral("数量_1=3"), QStringLiteral("--set"), QStringLiteral("单价_1=12.5"),
                        QStringLiteral("--set"), QStringLiteral("数量_2=2"), QStringLiteral("--set"),
                        QStringLiteral("单价_2=100"), QStringLiteral("--set"), QStringLiteral("折让=5")});
    EXPECT_TRUE(out.contains(QStringLiteral("金额_1\t37.50\n"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("合计\t￥232.50\n")));

    int code = 0;
    Fill(folder, {QStringLiteral("--format"), QStringLiteral("送货单"), QStringLiteral("--set"), QStringLiteral("没有=1"),
                  QStringLiteral("--store")},
         &code);
    EXPECT_EQ(code, 1);
}

// An amount that would print wrong stops the command with exit 1 and the box's message;
// full-width input reads as the amount it shows.
TEST(FillCommand, RefusesAmountsThatWouldPrintWrong)
{
    QTemporaryDir dir;
    const struct {
        const char* set;
        int code;
        const char* expected; // in the output, or in the message when refused
    } cases[] = {
        {"小写金额=１２３．５０", 0, "大写金额\t壹佰贰拾叁元伍角整\n"},
        {"小写金额=1.2.3", 1, "“小写金额”：金额格式不正确！"},
        {"大写金额=1e3", 1, "“大写金额”：金额格式不正确！"},
        {"小写金额=12345678901234567890", 1, "“小写金额”：金额超出对格金额框的格数，无法打印！"},
        {"存根金额=10000000000000", 1, "“存根金额”：金额过大：不能达到10万亿元！"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set);
        int code = -1;
        QString err;
        const QString out = Fill(dir.path(), {QStringLiteral("--format"), QStringLiteral("转账支票"), QStringLiteral("--set"),
                                              QString::fromUtf8(c.set), QStringLiteral("--store")},
                                 &code, &err);
        EXPECT_EQ(code, c.code);
        EXPECT_TRUE((c.code == 0 ? out : err).contains(QString::fromUtf8(c.expected))) << out.toStdString() << err.toStdString();
    }
    // Only the accepted bill was stored.
    EXPECT_EQ(Kestrio(dir.path(), QStringLiteral("sql"), {QStringLiteral("SELECT COUNT(*) AS N FROM (SELECT DISTINCT ID FROM 历史)")}),
              QStringLiteral("N\n1\n"));
}

// Every bill stored from the command line carries the next serial number: the number of
// the defaults is used once.
TEST(FillCommand, StoredBillsAdvanceTheSerialNumber)
{
    QTemporaryDir dir;
    // An empty delivery note (no lines, no total) is stored only when asked for.
    const QStringList format{QStringLiteral("--format"), QStringLiteral("送货单"), QStringLiteral("--allow-empty")};
    const QString pdf = dir.filePath(QStringLiteral("单.pdf"));
    const struct {
        const char* command;
        QStringList extra;
        const char* number; // shown by fill; empty for print
    } runs[] = {
        {"fill", {QStringLiteral("--store")}, "00000001"},
        {"fill", {QStringLiteral("--store")}, "00000002"},
        {"print", {QStringLiteral("--store"), QStringLiteral("--pdf"), pdf}, ""},
        {"fill", {QStringLiteral("--store")}, "00000004"},
        {"fill", {}, "00000005"},
        {"fill", {}, "00000005"},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(std::string(run.command) + " " + run.number);
        int code = -1;
        const QString out = Kestrio(dir.path(), QString::fromLatin1(run.command), format + run.extra, &code);
        EXPECT_EQ(code, 0);
        if (*run.number) EXPECT_TRUE(out.contains(QStringLiteral("单号\t") + QString::fromLatin1(run.number) + QLatin1Char('\n')))
            << out.toStdString();
    }
}

} // namespace
} // namespace kestrio
