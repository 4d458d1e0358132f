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

constexpr int kRowsPerStep = 4096;

void AddRoles(QHash<qint64, int>& roles, const StatBox& box, Role role)
{
    for (const qint64 id : box.ids) roles[id] |= role;
}

int MonthKey(const QDate& date)
{
    return date.year() * 12 + date.month() - 1;
}

} // namespace

// The contents of one bill gathered from its rows; for a family of boxes the first member
// that holds something gives the date part.
struct MonthlyStatistics::Bill {
    qint64 id = 0;
    QString date, year, month, day;
    StatTotal fen = 0;
    bool amountReadable = true;

    void Reset(qint64 billId)
    {
        *this = Bill();
        id = billId;
    }
};

// Reads dates through the inverse conversions, once per distinct text: a year of bills
// holds a few hundred different dates.
class MonthlyStatistics::Reader {
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
    return QStringLiteral("SELECT ID, CID, Con FROM 历史 WHERE Fmt=") + SqlQuote(request.format) +
           QStringLiteral(" AND CID IN (") + StatBoxes::IdList(ids) + QLatin1Char(')') + ConditionClause(request) +
           QStringLiteral(" ORDER BY ID, CID");
}

QString MonthlyStatistics::BillCountQuery(const StatRequest& request) const
{
    return QStringLiteral("SELECT COUNT(*) FROM (SELECT DISTINCT ID FROM 历史 WHERE Fmt=") + SqlQuote(request.format) +
           ConditionClause(request) + QLatin1Char(')');
}

StatResult MonthlyStatistics::Analyse(const StatRequest& request)
{
    StatResult result;
    result.sums = request.sumAmounts;
    QHash<qint64, int> roles;
    if (request.fullDate) {
        AddRoles(roles, request.dateBox, DateRole);
    } else {
        AddRoles(roles, request.yearBox, YearRole);
        AddRoles(roles, request.monthBox, MonthRole);
        AddRoles(roles, request.dayBox, DayRole);
    }
    if (request.sumAmounts) AddRoles(roles, request.amountBox, AmountRole);

    Recordset rows = mDb.OpenQuery(ContentsQuery(request));
    mProgress.ShowProgress(ProgressCaption(), rows.RecordCount() / kRowsPerStep + 1, 0);
    Reader reader(request.fullDate);
    QMap<int, StatTotal> byMonth;
    int dated = 0;
    Bill bill;
    const auto finish = [&] {
        if (bill.id == 0) return;
        const std::optional<QDate> date = reader.DateOf(bill);
        if (!date || !bill.amountReadable) return;
        ++dated;
        if (*date < request.from || *date > request.to) return;
        byMonth[MonthKey(*date)] += request.sumAmounts ? bill.fen : 1;
    };
    int count = 0;
    for (; !rows.Eof(); rows.MoveNext()) {
        const qint64 id = rows.Value(0).toLongLong();
        if (id != bill.id) {
            finish();
            bill.Reset(id);
        }
        const qint64 cid = rows.Value(1).toLongLong();
        const QString content = rows.Text(2);
        const int role = roles.value(cid);
        if ((role & DateRole) && bill.date.isEmpty()) bill.date = content;
        if ((role & YearRole) && bill.year.isEmpty()) bill.year = content;
        if ((role & MonthRole) && bill.month.isEmpty()) bill.month = content;
        if ((role & DayRole) && bill.day.isEmpty()) bill.day = content;
        if (role & AmountRole) {
            const auto fen = AmountFen(content, request.amountBox.CodeOf(cid));
            if (fen) bill.fen += *fen;
            else bill.amountReadable = false;
        }
        if (++count % kRowsPerStep == 0) mProgress.StepProgress(1);
    }
    finish();
    rows.Close();

    Recordset total = mDb.OpenQuery(BillCountQuery(request));
    result.leftOut = qMax(0, total.Value(0).toInt() - dated);
    mProgress.CloseProgress();

    if (byMonth.isEmpty()) return result;
    for (int key = byMonth.firstKey(); key <= byMonth.lastKey(); ++key)
        result.months.append({QDate(key / 12, key % 12 + 1, 1), byMonth.value(key)});
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
