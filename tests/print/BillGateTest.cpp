// One verdict for an amount, whichever way it reached the demo cheque: typed and left, given
// with `--set`, read from a batch row, or loaded from a stored bill.
#include "TestApp.h"
#include "batch/BatchGrid.h"
#include "batch/BatchPrintJob.h"
#include "batch/RecordNumbering.h"
#include "batch/SourceRows.h"
#include "convert/AmountInput.h"
#include "entry/EntryKit.h"
#include "entry/HistoryRecords.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "print/BillGate.h"
#include "startup/CommandLine.h"

#include <QTextStream>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

const QString kCheque = QStringLiteral("转账支票");

enum class Verdict { Prints, Asks, Refused };

struct Outcome {
    Verdict verdict = Verdict::Prints;
    QString message; // the refusal
};

Outcome Judge(const Workspace& ws, const QString& leaveRefusal = {})
{
    if (!leaveRefusal.isEmpty()) return {Verdict::Refused, leaveRefusal};
    const QList<BillGate::Problem> problems = BillGate::Check(ws);
    for (const BillGate::Problem& p : problems)
        if (p.refused) return {Verdict::Refused, p.reason};
    return {problems.isEmpty() ? Verdict::Prints : Verdict::Asks, {}};
}

class BillGateTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(t.Open()); }

    int Row(const Workspace& ws, const QString& label) const
    {
        for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row)
            if (ws.table.Text(row, ElementTable::ColLbl) == label) return row;
        return -1;
    }
    Workspace Fresh()
    {
        Workspace ws;
        QTextStream err(stderr);
        EXPECT_EQ(CommandLine::PrepareBill(*t.app, kCheque, {}, 0, ws, err), 0);
        return ws;
    }
    Outcome Typed(const QString& text)
    {
        Workspace ws = Fresh();
        const int row = Row(ws, QStringLiteral("小写金额"));
        ws.SetBoxContent(row, text);
        EntryKit kit(*t.app);
        return Judge(ws, kit.entry.LeaveBox(ws, row));
    }
    Outcome Set(const QString& text, Workspace& ws)
    {
        QString err;
        QTextStream errors(&err);
        const int code = CommandLine::PrepareBill(*t.app, kCheque, {{QStringLiteral("小写金额"), text}}, 0, ws, errors);
        errors.flush();
        if (code != 0) return {Verdict::Refused, err.section(QStringLiteral("”："), 1).trimmed()};
        return Judge(ws);
    }

    test::TestApp t;
};

TEST_F(BillGateTest, AnAmountGetsOneVerdictWhateverFilledItsBox)
{
    struct Case {
        const char* text;
        Verdict verdict;
        QString message;
    };
    const QString format = AmountInput::FormatMessage();
    const QString fen = AmountInput::FenMessage();
    const Case cases[] = {
        {"1234.5", Verdict::Prints, {}},
        {"１２３４．５", Verdict::Prints, {}},
        {"1,234.5", Verdict::Prints, {}},
        {"１，２３４．５", Verdict::Prints, {}},
        {"1,234,567.89", Verdict::Prints, {}},
        {"￥1,234.50", Verdict::Prints, {}},
        {"12元", Verdict::Prints, {}},
        {"0.05", Verdict::Prints, {}},
        {"1.500", Verdict::Prints, {}},
        {"999999999.99", Verdict::Prints, {}},
        {"2.675", Verdict::Refused, fen},
        {"0.005", Verdict::Refused, fen},
        {"1.005", Verdict::Refused, fen},
        {"3.14159", Verdict::Refused, fen},
        {"2026-11-03", Verdict::Refused, format},
        {"2026/11/03", Verdict::Refused, format},
        {"1e20", Verdict::Refused, format},
        {"1,23", Verdict::Refused, format},
        {"12,34", Verdict::Refused, format},
        {"1,2,3,4", Verdict::Refused, format},
        {"１，２３", Verdict::Refused, format},
        {"1.2.3", Verdict::Refused, format},
        {"abc", Verdict::Refused, format},
        {"1000000000", Verdict::Refused, AmountInput::CellsMessage()},
        {"123456789012345", Verdict::Refused, AmountInput::CellsMessage()},
        // A cheque for nothing or less than nothing is asked about, not refused.
        {"0", Verdict::Asks, {}},
        {"0.00", Verdict::Asks, {}},
        {"-5", Verdict::Asks, {}},
        {"-0.01", Verdict::Asks, {}},
        {"", Verdict::Asks, {}},
    };

    // The batch: one source row per case, all checked before anything prints.
    Workspace batchWs = Fresh();
    SourceRows rows;
    for (const Case& c : cases) rows.Append(QStringList{QString::fromUtf8(c.text)});
    BatchGrid grid;
    SilentProgress progress;
    grid.Fill(batchWs, {{batchWs.table.Id(Row(batchWs, QStringLiteral("小写金额"))), QStringLiteral("A")}}, rows,
              RecordNumbering(1, static_cast<int>(rows.RowCount()), 1), progress);
    EntryKit kit(*t.app);
    const BatchPrintJob::Check check = BatchPrintJob(grid, kit.entry).CheckAll(batchWs, progress);

    HistoryRecords records(t.app->DbOp(), t.prompter, &t.clock);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        const QString text = QString::fromUtf8(c.text);
        SCOPED_TRACE(c.text);
        const Outcome typed = Typed(text);
        EXPECT_EQ(typed.verdict, c.verdict);
        EXPECT_EQ(typed.message, c.message);

        Workspace ws;
        const Outcome set = Set(text, ws);
        EXPECT_EQ(set.verdict, c.verdict);
        EXPECT_EQ(set.message, c.message);

        const QString line = QStringLiteral("第%1行“小写金额”：").arg(i + 1);
        const bool refusedRow = check.refusedBills.contains(i);
        EXPECT_EQ(refusedRow, c.verdict == Verdict::Refused);
        EXPECT_EQ(check.questionedBills.contains(i), c.verdict == Verdict::Asks);
        if (refusedRow) EXPECT_TRUE(check.refusals.contains(line + c.message)) << check.refusals.join(u'\n').toStdString();

        // A stored bill: what typing kept reads back alike; what it refused, put into a
        // record by other means, is refused when the record is printed again.
        if (c.verdict != Verdict::Refused) {
            const qint64 record = records.TryStoreRecord(ws, nullptr);
            ASSERT_GT(record, 0);
            Workspace again;
            QTextStream err(stderr);
            ASSERT_EQ(CommandLine::PrepareBill(*t.app, kCheque, {}, record, again, err), 0);
            EXPECT_EQ(Judge(again).verdict, c.verdict);
        } else {
            Workspace tampered = Fresh();
            tampered.SetBoxContent(Row(tampered, QStringLiteral("小写金额")), text);
            EXPECT_EQ(Judge(tampered).verdict, Verdict::Refused);
        }
    }
}

TEST_F(BillGateTest, ARefusedAmountEmptiesItsRingAndADifferentCapitalIsRefused)
{
    Workspace ws = Fresh();
    const int figures = Row(ws, QStringLiteral("小写金额"));
    const int capital = Row(ws, QStringLiteral("大写金额"));
    const int stub = Row(ws, QStringLiteral("存根金额"));
    EntryKit kit(*t.app);
    ws.SetBoxContent(figures, QStringLiteral("100000000"));
    ASSERT_EQ(kit.entry.LeaveBox(ws, figures), QString());
    ASSERT_EQ(ws.BoxText(capital), QStringLiteral("壹亿元整"));
    // Too long for the cells: the box keeps what was typed, and no box still says 壹亿.
    ws.SetBoxContent(figures, QStringLiteral("1000000000"));
    EXPECT_EQ(kit.entry.LeaveBox(ws, figures), AmountInput::CellsMessage());
    EXPECT_EQ(ws.BoxText(capital), QString());
    EXPECT_EQ(ws.BoxText(stub), QString());
    EXPECT_EQ(Judge(ws).verdict, Verdict::Refused);

    // A ring that disagrees (a capital amount from another bill) never prints.
    ws.SetBoxContent(figures, QStringLiteral("88"));
    ASSERT_EQ(kit.entry.LeaveBox(ws, figures), QString());
    EXPECT_EQ(Judge(ws).verdict, Verdict::Prints);
    ws.SetBoxContent(capital, QStringLiteral("捌拾玖元整"));
    const Outcome disagreeing = Judge(ws);
    EXPECT_EQ(disagreeing.verdict, Verdict::Refused);
    EXPECT_EQ(disagreeing.message, BillGate::DisagreesReason(QStringLiteral("小写金额")));

    // An empty date asks; "清空内容框" puts today back.
    ws.SetBoxContent(capital, QStringLiteral("捌拾捌元整"));
    const int year = Row(ws, QStringLiteral("出票年"));
    ws.SetBoxContent(year, QString());
    EXPECT_EQ(Judge(ws).verdict, Verdict::Asks);
    kit.entry.ClearBill(ws, {year, figures});
    EXPECT_EQ(ws.BoxText(year), QStringLiteral("贰零贰陆"));
    EXPECT_EQ(ws.BoxText(figures), QString());
    EXPECT_EQ(ws.BoxText(capital), QStringLiteral("捌拾捌元整")); // not selected: kept
}

} // namespace
} // namespace kestrio
