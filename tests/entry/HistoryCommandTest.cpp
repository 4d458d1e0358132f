// `kestrio history --format NAME [--limit N]`, run as a user runs it.
#include "TestApp.h"
#include "entry/HistoryRecords.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

struct Outcome {
    int code = -1;
    QString out;
};

Outcome Kestrio(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(KESTRIO_BINARY), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

TEST(HistoryCommand, PrintsTheBillsNewestFirst)
{
    test::TestApp t;
    ASSERT_TRUE(t.Open());
    Workspace ws;
    ws.formatName = QStringLiteral("收据");
    const int payee = ws.table.AddElementRow(ElementTable::TextBox);
    ws.table.SetText(payee, ElementTable::ColLbl, QStringLiteral("收款人"));
    const int amount = ws.table.AddElementRow(ElementTable::TextBox);
    ws.table.SetText(amount, ElementTable::ColLbl, QStringLiteral("金额"));
    FormatStore(t.app->DbOp(), t.progress, t.screen).SaveFormat(ws);
    HistoryRecords records(t.app->DbOp(), t.prompter, &t.clock);
    ws.SetBoxContent(payee, QStringLiteral("北京\"长城\"公司"));
    ws.SetBoxContent(amount, QStringLiteral("￥1,234.50"));
    ASSERT_EQ(records.StoreRecord(ws), 1);
    ws.SetBoxContent(payee, QStringLiteral("O'Brien"));
    ASSERT_EQ(records.StoreRecord(ws), 2);
    t.app->Db().Close();

    const QStringList base{QStringLiteral("--data-dir"), t.Folder(), QStringLiteral("history"), QStringLiteral("--format"),
                           QStringLiteral("收据")};
    Outcome run = Kestrio(base);
    EXPECT_EQ(run.code, 0);
    const QStringList lines = run.out.split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("\t序号\t收款人\t金额\t保存时间"));
    EXPECT_EQ(lines[1], QStringLiteral("2\t1\tO'Brien\t￥1,234.50\t2026-12-08 09:30:00"));
    EXPECT_EQ(lines[2], QStringLiteral("1\t2\t北京\"长城\"公司\t￥1,234.50\t2026-12-08 09:30:00"));

    run = Kestrio(base + QStringList{QStringLiteral("--limit"), QStringLiteral("1")});
    EXPECT_EQ(run.out.count(QLatin1Char('\n')), 2); // the caption line and one history row
    EXPECT_EQ(Kestrio({QStringLiteral("--data-dir"), t.Folder(), QStringLiteral("history"), QStringLiteral("--format"),
                       QStringLiteral("没有")})
                  .code,
              1);
    EXPECT_EQ(Kestrio({QStringLiteral("--data-dir"), t.Folder(), QStringLiteral("history")}).code, 2);
}

} // namespace
} // namespace kestrio
