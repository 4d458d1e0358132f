#include "MonthlyStatistics.h"

#include "convert/CapitalAmount.h"
#include "convert/DateText.h"
#include "convert/Decimal.h"
#include "seams/Progress.h"
#include "storage/DbOperate.h"
#include "storage/SqlQuote.h"

#include <QMap>

namespace kestrio {

namespace {

// What a history row of a bill says for the statistic; one box may play several parts.
enum Role { DateRole = 1, YearRole = 2, MonthRole = 4, DayRole = 8, AmountRole = 16 };

constexpr int kBillsPerStep = 1000;

// The contents of one bill that the statistic needs.
struct Bill {
    qint64 id = 0;
    QString date, year, month, day;
    StatTotal fen = 0;
    bool amountReadable = true;
};

int MonthKey(const QDate& date)
{
    return date.year() * 12 + date.month() - 1;
}

} // namespace

namespace {

// Reads dates through the inverse conversions, once per distinct text: a year of bills
// holds a few hundred different dates.
class Reader {
public:
    explicit Reader(bool fullDate) : mFullDate(fullDate) {}

    std::optional<QDate> DateOf(const Bill& bill)
    {
        if (mFullDate) {
            auto cached = mDates.find(bill.date);
            if (cached == mDates.end()) cached = mDates.insert(bill.date, DateText::RecognizeWithYear(bill.date));
            return *cached;
        }
        const auto year = Part(bill.year, DateText::Year);
        const auto month = Part(bill.month, DateText::Month);
        const auto day = Part(bill.day, DateText::Day);
        if (!year || !month || !day) return std::nullopt;
        const QDate date(*year, *month, *day);
        return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
    }

private:
    std::optional<int> Part(const QString& text, DateText::Part part)
    {
        if (text.isEmpty()) return std::nullopt;
        auto& cache = mParts[part];
        auto cached = cache.find(text);
        if (cached == cache.end()) cached = cache.insert(text, DateText::ReadDatePart(text, part));
        return *cached;
    }

    bool mFullDate;
    QHash<QString, std::optional<QDate>> mDates;
    QHash<QString, std::optional<int>> mParts[3];
};

} // namespace

// Adds up the bills row by row as the query hands them over, sorted by bill. For a family
// of boxes the first member that holds something gives the date part.
class MonthlyStatistics::Tally {
public:
    explicit Tally(const StatRequest& request) : mRequest(request), mReader(request.fullDate)
    {
        if (request.fullDate) {
            AddRoles(request.dateBox, DateRole);
        } else {
            AddRoles(request.yearBox, YearRole);
            AddRoles(request.monthBox, MonthRole);
            AddRoles(request.dayBox, DayRole);
        }
        if (request.sumAmounts) AddRoles(request.amountBox, AmountRole);
    }

    // One row; true when it starts a new bill.
    bool Add(qint64 bill, qint64 box, const QString& content)
    {
        const bool next = bill != mBill.id;
        if (next) {
            FinishBill();
            mBill = Bill{};
            mBill.id = bill;
            ++seen;
        }
        const int role = mRoles.value(box);
        if ((role & DateRole) && mBill.date.isEmpty()) mBill.date = content;
        if ((role & YearRole) && mBill.year.isEmpty()) mBill.year = content;
        if ((role & MonthRole) && mBill.month.isEmpty()) mBill.month = content;
        if ((role & DayRole) && mBill.day.isEmpty()) mBill.day = content;
        if (role & AmountRole) {
            const auto fen = AmountFen(content, mRequest.amountBox.CodeOf(box));
            if (fen) mBill.fen += *fen;
            else mBill.amountReadable = false;
        }
        return next;
    }

    void FinishBill()
    {
        if (mBill.id == 0) return;
        const std::optional<QDate> date = mReader.DateOf(mBill);
        mBill.id = 0;
        if (!date || !mBill.amountReadable) return;
        ++dated;
        if (*date < mRequest.from || *date > mRequest.to) return;
        byMonth[MonthKey(*date)] += mRequest.sumAmounts ? mBill.fen : 1;
    }

    int seen = 0;  // bills read
    int dated = 0; // of them, bills whose date (and amount) could be read
    QMap<int, StatTotal> byMonth;

private:
    void AddRoles(const StatBox& box, Role role)
    {
        for (const qint64 id : box.ids) mRoles[id] |= role;
    }

    const StatRequest& mRequest;
    Reader mReader;
    QHash<qint64, int> mRoles;
    Bill mBill;
};

QString MonthlyStatistics::Check(const StatRequest& request)
{
    const bool datesSet = request.fullDate
                              ? request.dateBox.IsSet()
                              : request.yearBox.IsSet() && request.monthBox.IsSet() && request.dayBox.IsSet();
    if (!datesSet) return DateBoxMissingMessage();
    if (request.byCondition && (!request.conditionBox.IsSet() || request.conditionValue.isEmpty()))
        return ConditionMissingMessage();
    return {};
}

std::optional<StatTotal> MonthlyStatistics::AmountFen(const QString& content, double code)
{
    QString number = CapitalAmount::CapitalToNumber(content, code);
    number.remove(QLatin1Char(','));
    number.remove(QStringLiteral("￥"));
    const Decimal amount = Decimal::FromLeadingNumber(number);
    const QString fen = amount.FenDigits();
    if (fen.size() > 30) return std::nullopt;
    StatTotal value = 0;
    for (const QChar digit : fen) value = value * 10 + digit.digitValue();
    return amount.IsNegative() ? -value : value;
}

QString MonthlyStatistics::ConditionClause(const StatRequest& request)
{
    if (!request.byCondition) return {};
    return QStringLiteral(" AND ID IN (SELECT ID FROM 历史 WHERE Fmt=") + SqlQuote(request.format) +
           QStringLiteral(" AND CID IN (") + StatBoxes::IdList(request.conditionBox.ids) +
           QStringLiteral(") AND Con=") + SqlQuote(request.conditionValue) + QLatin1Char(')');
}

QString MonthlyStatistics::ContentsQuery(const StatRequest& request) const
{
    QVector<qint64> ids = request.fullDate ? request.dateBox.ids
                                           : request.yearBox.ids + request.monthBox.ids + request.dayBox.ids;
    if (request.sumAmounts) ids += request.amountBox.ids;
    // Every bill that meets the condition has a row of its condition box: with those rows
    // the bills without a date are seen too, and need no count of their own.
    if (request.byCondition) ids += request.conditionBox.ids;
    return QStringLiteral("SELECT ID, CID, Con FROM 历史 WHERE Fmt=") + SqlQuote(request.format) +
           QStringLiteral(" AND CID IN (") + StatBoxes::IdList(ids) + QLatin1Char(')') + ConditionClause(request) +
           QStringLiteral(" ORDER BY ID, CID");
}

QString MonthlyStatistics::BillCountQuery(const QString& format)
{
    return QStringLiteral("SELECT COUNT(*) FROM (SELECT DISTINCT ID FROM 历史 WHERE Fmt=") + SqlQuote(format) +
           QLatin1Char(')');
}

int MonthlyStatistics::ExpectedBills(const StatRequest& request)
{
    if (!request.byCondition) return mDb.OpenQuery(BillCountQuery(request.format)).Value(0).toInt();
    // Only for the progress bar: the condition's rows, read from the index alone.
    return mDb.OpenQuery(QStringLiteral("SELECT COUNT(*) FROM 历史 WHERE CID IN (") +
                         StatBoxes::IdList(request.conditionBox.ids) + QStringLiteral(") AND Con=") +
                         SqlQuote(request.conditionValue))
        .Value(0)
        .toInt();
}

StatResult MonthlyStatistics::Analyse(const StatRequest& request)
{
    const int expected = ExpectedBills(request);
    mProgress.ShowProgress(ProgressCaption(), expected / kBillsPerStep + 1, 0);
    Tally tally(request);
    QString error;
    const bool read = mDb.Db().ForEachRow(ContentsQuery(request), [&](const QVector<QVariant>& row) {
        if (tally.Add(row[0].toLongLong(), row[1].toLongLong(), row[2].toString()) && tally.seen % kBillsPerStep == 0)
            mProgress.StepProgress(1);
        return true;
    }, &error);
    tally.FinishBill();
    mProgress.CloseProgress();

    StatResult result;
    result.sums = request.sumAmounts;
    if (!read) {
        result.error = error;
        return result;
    }
    result.leftOut = qMax(0, (request.byCondition ? tally.seen : expected) - tally.dated);
    if (tally.byMonth.isEmpty()) return result;
    for (int key = tally.byMonth.firstKey(); key <= tally.byMonth.lastKey(); ++key)
        result.months.append({QDate(key / 12, key % 12 + 1, 1), tally.byMonth.value(key)});
    result.title = TitleLines(request, result.MonthText(0), result.MonthText(static_cast<int>(result.months.size()) - 1));
    return result;
}

QString MonthlyStatistics::TitleLines(const StatRequest& request, const QString& first, const QString& last)
{
    const QString lineBreak = QStringLiteral("\r\n");
    QString title = QStringLiteral("票据开单统计分析图表") + lineBreak + QStringLiteral("统计：Kestrio支票打印软件；单据：") +
                    request.format + QStringLiteral("；统计内容：") +
                    (request.sumAmounts ? QStringLiteral("金额") : QStringLiteral("单据数")) +
                    QStringLiteral("；日期：") + first + QStringLiteral("至") + last + QStringLiteral("；");
    if (request.sumAmounts) title += lineBreak + QStringLiteral("统计对象：") + request.amountBox.label + QStringLiteral("；");
    if (request.byCondition)
        title += QStringLiteral("统计条件：") + request.conditionBox.label + QStringLiteral("=“") + request.conditionValue +
                 QStringLiteral("”；");
    return title;
}

} // namespace kestrio
