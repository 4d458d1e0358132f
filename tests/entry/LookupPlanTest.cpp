// The history lookups made while typing and the history grid's read go through the index
// meant for them: the engine's own query plan for the very text the program runs.
#include "TestApp.h"
#include "entry/AutoFill.h"
#include "entry/HistoryGrid.h"

#include <gtest/gtest.h>

#include <ostream>

namespace kestrio {
namespace {

struct PlanCase {
    const char* name;
    QString jetSql;
    const char* index; // the index the plan must search
};

// The test's name says which lookup it is; gtest would print the bytes of the case.
void PrintTo(const PlanCase& plan, std::ostream* out)
{
    *out << plan.name;
}

class LookupPlanTest : public ::testing::TestWithParam<PlanCase> {
protected:
    // The plan's detail lines, e.g. "SEARCH TABLE 历史 USING INDEX kx_历史_CID_ID (CID=?)".
    QStringList Plan(const QString& jetSql)
    {
        QStringList lines;
        const bool ran = mApp.app->Db().ForEachRow(QStringLiteral("EXPLAIN QUERY PLAN ") + jetSql,
                                                   [&lines](const QVector<QVariant>& row) {
                                                       lines << row.constLast().toString();
                                                       return true;
                                                   });
        EXPECT_TRUE(ran) << jetSql.toStdString();
        return lines;
    }

    test::TestApp mApp;
};

TEST_P(LookupPlanTest, SearchesTheIntendedIndexOfHistory)
{
    ASSERT_TRUE(mApp.Open());
    const PlanCase& c = GetParam();
    const QStringList plan = Plan(c.jetSql);
    ASSERT_FALSE(plan.isEmpty());
    const QString joined = plan.join(QLatin1String(" | "));
    EXPECT_TRUE(joined.contains(QStringLiteral("USING INDEX ") + QString::fromUtf8(c.index) + QLatin1Char(' ')) ||
                joined.contains(QStringLiteral("USING COVERING INDEX ") + QString::fromUtf8(c.index) + QLatin1Char(' ')))
        << joined.toStdString();
    // Never every row of the table, nor every row of the box or format sorted afterwards.
    EXPECT_FALSE(joined.contains(QStringLiteral("SCAN TABLE"))) << joined.toStdString();
    EXPECT_FALSE(joined.contains(QStringLiteral("TEMP B-TREE"))) << joined.toStdString();
}

const QString kFormat = QStringLiteral("转账支票");

INSTANTIATE_TEST_SUITE_P(
    Lookups, LookupPlanTest,
    ::testing::Values(
        PlanCase{"completion_first", AutoFill::CompletionSql(kFormat, 7, QStringLiteral("收款")), "kx_历史_CID_Con_ID"},
        PlanCase{"completion_next", AutoFill::CompletionSql(kFormat, 7, QStringLiteral("收款"), QStringLiteral("收款人甲")),
                 "kx_历史_CID_Con_ID"},
        PlanCase{"completion_escaped", AutoFill::CompletionSql(kFormat, 7, QStringLiteral("50%_a")), "kx_历史_CID_Con_ID"},
        PlanCase{"latest_bill", AutoFill::LatestBillSql(kFormat, 7, QStringLiteral("某公司")), "kx_历史_CID_Con_ID"},
        PlanCase{"label_family", AutoFill::LabelFamilySql(kFormat, QStringLiteral("收款人")), "kx_Fmt_Fmt"},
        PlanCase{"newest_number", AutoFill::NewestNumberSql(kFormat, 7), "kx_历史_CID_ID"},
        PlanCase{"used_number", AutoFill::UsedNumberSql(kFormat, 7, QStringLiteral("NO0001")), "kx_历史_CID_Con_ID"},
        PlanCase{"grid_bills", HistoryGrid::BillRowsSql(kFormat), "kx_历史_Fmt_ID"}),
    [](const ::testing::TestParamInfo<PlanCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace kestrio
