#pragma once

#include "StatBoxes.h"
#include "StatResult.h"

#include <QDate>
#include <QHash>
#include <QString>

#include <optional>

namespace kestrio {

class DbOperate;
class Progress;

// What one statistic is taken over: the bills of a format dated from `from` to `to`, by a
// full-date box or by year, month and day boxes; all of them or those whose condition box
// holds a value; their number or the sum of an amount box.
struct StatRequest {
    QString format;
    QDate from;
    QDate to;
    bool sumAmounts = false;  // 开具金额, else 单据数量
    bool byCondition = false; // 条件统计, else 综合统计
    bool fullDate = true;     // 完整日期, else 组合日期
    StatBox amountBox;
    StatBox conditionBox;
    QString conditionValue;
    StatBox dateBox;
    StatBox yearBox;
    StatBox monthBox;
    StatBox dayBox;
};

// Totals the bills of a format by calendar month (the statistics window's Analyse). The
// history is read in one query, whatever the number of bills: the contents of the date,
// amount and condition boxes of the bills that meet the condition; without a condition a
// second one counts the format's bills, so that bills without a date are reported too.
class MonthlyStatistics {
public:
    MonthlyStatistics(DbOperate& db, Progress& progress) : mDb(db), mProgress(progress) {}

    // The message for a request that cannot run, or empty.
    static QString Check(const StatRequest& request);
    // Runs a request that passed Check.
    StatResult Analyse(const StatRequest& request);

    // The chart's title lines for months `first` to `last` ("2024-01").
    static QString TitleLines(const StatRequest& request, const QString& first, const QString& last);
    // The amount an amount box's content stands for, in fen: the capital forms read back by
    // the box's data type, "," and "￥" dropped, the leading number cut after two decimals.
    // Nothing for an amount beyond any bill (more than 28 digits of yuan).
    static std::optional<StatTotal> AmountFen(const QString& content, double code);

    static QString DateBoxMissingMessage() { return QStringLiteral("日期内容框不能为空！"); }
    static QString ConditionMissingMessage() { return QStringLiteral("统计条件没有设置！"); }
    static QString ProgressCaption() { return QStringLiteral("正在统计分析数据……"); }

private:
    class Tally;

    int ExpectedBills(const StatRequest& request);

    QString ContentsQuery(const StatRequest& request) const;
    static QString BillCountQuery(const QString& format);
    static QString ConditionClause(const StatRequest& request);

    DbOperate& mDb;
    Progress& mProgress;
};

} // namespace kestrio
