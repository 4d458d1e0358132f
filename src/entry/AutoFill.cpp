#include "AutoFill.h"

#include "convert/CapitalAmount.h"
#include "convert/Decimal.h"
#include "convert/Money.h"
#include "format/Workspace.h"
#include "storage/DbOperate.h"
#include "storage/SqlQuote.h"

#include <cmath>

namespace kestrio {

namespace {

constexpr int kMaxWorkEntries = 101;
constexpr int kMaxLinkSteps = 501;
constexpr int kSerialNumberCode = 122;

// Exact sums and products of amounts: a whole number of units of 10^-scale. Amounts on a
// bill stay far below the 38 digits this holds; should a product ever get there, the
// accumulation is finished in floating point instead.
struct Scaled {
    __int128 mantissa = 0;
    int scale = 0;
    bool overflow = false;
};

Scaled ScaledFrom(const Decimal& value)
{
    Scaled result;
    const QString plain = value.ToPlainText();
    const bool negative = plain.startsWith(QLatin1Char('-'));
    const QString body = negative ? plain.mid(1) : plain;
    const qsizetype point = body.indexOf(QLatin1Char('.'));
    const QString digits = point < 0 ? body : body.left(point) + body.mid(point + 1);
    result.scale = point < 0 ? 0 : static_cast<int>(body.size() - point - 1);
    if (digits.size() > 36) result.overflow = true;
    for (const QChar c : digits) {
        if (result.overflow) break;
        result.mantissa = result.mantissa * 10 + (c.unicode() - u'0');
    }
    if (negative) result.mantissa = -result.mantissa;
    return result;
}

bool RaiseScale(Scaled& value, int scale)
{
    while (value.scale < scale) {
        if (__builtin_mul_overflow(value.mantissa, static_cast<__int128>(10), &value.mantissa)) return false;
        ++value.scale;
    }
    return true;
}

Scaled Add(Scaled a, Scaled b)
{
    Scaled sum;
    sum.overflow = a.overflow || b.overflow || !RaiseScale(a, b.scale) || !RaiseScale(b, a.scale) ||
                   __builtin_add_overflow(a.mantissa, b.mantissa, &sum.mantissa);
    sum.scale = a.scale;
    return sum;
}

Scaled Multiply(const Scaled& a, const Scaled& b)
{
    Scaled product;
    product.overflow = a.overflow || b.overflow || __builtin_mul_overflow(a.mantissa, b.mantissa, &product.mantissa);
    product.scale = a.scale + b.scale;
    return product;
}

QString PlainText(const Scaled& value)
{
    const bool negative = value.mantissa < 0;
    unsigned __int128 magnitude = negative ? -static_cast<unsigned __int128>(value.mantissa) : value.mantissa;
    QString digits;
    do {
        digits.prepend(QChar(u'0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    if (digits.size() <= value.scale) digits = QString(value.scale - digits.size() + 1, u'0') + digits;
    QString whole = digits.left(digits.size() - value.scale);
    QString fraction = digits.mid(digits.size() - value.scale);
    while (fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);
    QString text = fraction.isEmpty() ? whole : whole + QLatin1Char('.') + fraction;
    if (negative && text != QLatin1String("0")) text.prepend(QLatin1Char('-'));
    return text;
}

bool IsAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Adds 1 to a run of digits; the run only grows when every digit was 9.
QString IncrementDigits(QString digits)
{
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != QLatin1Char('9')) {
            digits[i] = QChar(digits[i].unicode() + 1);
            return digits;
        }
        digits[i] = QLatin1Char('0');
    }
    return QLatin1Char('1') + digits;
}

bool HasFraction(double value)
{
    return value != std::trunc(value);
}

} // namespace

AutoFill::AutoFill(DbOperate& db, const Clock& clock, QString customPattern)
    : mDb(db), mConverter(clock, std::move(customPattern))
{
}

QString AutoFill::LikeLiteral(const QString& text)
{
    QString literal;
    literal.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_')) literal += QLatin1Char('\\');
        literal += c;
    }
    return literal;
}

QString AutoFill::LikeEscapeClause(const QString& text)
{
    // Only when something was escaped: the engine searches a LIKE prefix through the index
    // only when the pattern has no ESCAPE clause.
    return LikeLiteral(text) == text ? QString() : QStringLiteral(" ESCAPE '\\'");
}

// ---- Completion and suggestions ----

QString AutoFill::CompletionSql(const QString& format, qint64 id, const QString& typed, const QString& after)
{
    // The index (CID,Con,ID) holds a box's values in order: the first one in the range of the
    // prefix, then the first one after it, never every row of the box. The engine does not
    // search a LIKE with an ESCAPE clause through the index, so the range is given as well
    // (every text starting with the prefix sorts below the prefix followed by U+10FFFF).
    QString sql = QStringLiteral("SELECT TOP 1 Con FROM 历史 WHERE CID=") + QString::number(id) +
                  QStringLiteral(" AND Con LIKE '") + SqlEscape(LikeLiteral(typed)) + QStringLiteral("%'") +
                  LikeEscapeClause(typed) + QStringLiteral(" AND Con>=") + SqlQuote(typed) +
                  QStringLiteral(" AND Con<") + SqlQuote(typed + QString::fromUcs4(U"\U0010FFFF"));
    if (!after.isEmpty()) sql += QStringLiteral(" AND Con>") + SqlQuote(after);
    return sql + QStringLiteral(" AND Fmt=") + SqlQuote(format) + QStringLiteral(" ORDER BY Con");
}

QString AutoFill::FirstCompletion(const QString& format, qint64 id, const QString& typed, const QString& after)
{
    const Recordset first = mDb.OpenQuery(CompletionSql(format, id, typed, after));
    return first.Eof() ? QString() : first.Text(QStringLiteral("Con"));
}

AutoFill::Completion AutoFill::AutoComplete(const Workspace& ws, qint64 id, const QString& typed)
{
    Completion completion;
    completion.text = typed;
    // Exactly one distinct earlier value: a first one, and none after it (the column folds
    // case, so values differing only in case count as one, as grouping them would).
    const QString value = FirstCompletion(ws.formatName, id, typed, {});
    if (value.isEmpty() || value == typed) return completion;
    if (!FirstCompletion(ws.formatName, id, typed, value).isEmpty()) return completion;
    completion.completed = true;
    completion.text = value;
    completion.selectionStart = static_cast<int>(qMin(typed.size(), value.size()));
    completion.selectionLength = static_cast<int>(value.size()) - completion.selectionStart;
    return completion;
}

QStringList AutoFill::FillSuggestions(const Workspace& ws, qint64 id)
{
    const int row = ws.table.RowOfId(id);
    const LabelParts label = SplitLabel(row >= 0 ? ws.table.Text(row, ElementTable::ColLbl) : QString());
    QString sql;
    if (label.suffix >= 1) {
        sql = QStringLiteral("SELECT Con FROM 历史 WHERE CID=ANY(SELECT ID AS CID FROM Fmt WHERE LBL LIKE '") +
              SqlEscape(LikeLiteral(label.prefix)) + QStringLiteral("_%'") + LikeEscapeClause(label.prefix) +
              QStringLiteral(") GROUP BY Con ORDER BY Con");
    } else {
        sql = QStringLiteral("SELECT Con FROM 历史 WHERE CID=") + QString::number(id) +
              QStringLiteral(" GROUP BY Con ORDER BY Con");
    }
    QStringList list;
    for (Recordset values = mDb.OpenQuery(sql); !values.Eof(); values.MoveNext())
        list << values.Text(QStringLiteral("Con"));
    return list;
}

// ---- Calculation ----

QList<AutoFill::CalcBox> AutoFill::BuildCalcTable(const Workspace& ws)
{
    const ElementTable& t = ws.table;
    QList<CalcBox> table;
    for (int row = ElementTable::kFirstRow; row < t.RowCount(); ++row) {
        if (t.KindOf(row) != ElementTable::TextBox) continue;
        const auto rctl = static_cast<qint64>(t.Number(row, ElementTable::ColRCtl));
        const auto rctl1 = static_cast<qint64>(t.Number(row, ElementTable::ColRCtl1));
        CalcBox box;
        box.row = row;
        box.id = t.Id(row);
        box.cash = t.Number(row, ElementTable::ColCash);
        box.sameLink = rctl1 > 0 ? rctl1 : (rctl > 0 ? rctl : 0);
        box.relatedLink = rctl1 < 0 ? -rctl1 : (rctl < 0 ? -rctl : 0);
        box.sumId = t.Number(row, ElementTable::ColSumId);
        box.sumId1 = t.Number(row, ElementTable::ColSumId1);
        table << box;
    }
    return table;
}

const AutoFill::CalcBox* AutoFill::FindBox(const QList<CalcBox>& table, qint64 id)
{
    for (const CalcBox& box : table)
        if (box.id == id) return &box;
    return nullptr;
}

AutoFill::LabelParts AutoFill::SplitLabel(const QString& label)
{
    LabelParts parts;
    const qsizetype cut = label.lastIndexOf(QLatin1Char('_'));
    if (cut < 0) {
        parts.prefix = label;
        return parts;
    }
    parts.prefix = label.left(cut);
    const Decimal number = Decimal::FromLeadingNumber(label.mid(cut + 1));
    parts.suffix = number.ToDouble();
    parts.suffixText = number.ToPlainText();
    return parts;
}

void AutoFill::Enqueue(QList<qint64>& work, qint64 id)
{
    if (!work.contains(id)) work << id;
}

void AutoFill::RecalculateFrom(Workspace& ws, qint64 id)
{
    const QList<CalcBox> table = BuildCalcTable(ws);
    Calculation run{{id}, id, {}};
    for (int i = 0; i < run.work.size() && i < kMaxWorkEntries; ++i) {
        const CalcBox* box = FindBox(table, run.work[i]);
        if (!box) break;
        const QString value = CapitalAmount::CapitalToNumber(ws.BoxText(box->row), box->cash);
        WalkSameContent(ws, table, *box, value, run);
        // A box that a related fill wrote sits on the chain that wrote it: filling from it
        // would only walk that chain again, from another bill, and undo what the user typed.
        if (!value.isEmpty() && !run.relatedFilled.contains(box->id)) FillRelatedContent(ws, table, *box, value, run);
        Accumulate(ws, table, *box, box->sumId, run.work);
        Accumulate(ws, table, *box, box->sumId1, run.work);
    }
}

void AutoFill::WalkSameContent(Workspace& ws, const QList<CalcBox>& table, const CalcBox& start, const QString& value,
                               Calculation& run) const
{
    const CalcBox* current = &start;
    for (int step = 0; step < kMaxLinkSteps; ++step) {
        if (current->sameLink == 0 || current->sameLink == start.id) return;
        current = FindBox(table, current->sameLink);
        // The box the user is leaving holds what was typed; the ring goes on from there.
        if (!current || current->id == run.leftBox) return;
        const QString shown = mConverter.ConvertBoxText(current->cash, value);
        if (shown == ws.BoxText(current->row)) return;
        ws.SetBoxText(current->row, shown);
        Enqueue(run.work, current->id);
    }
}

void AutoFill::FillRelatedContent(Workspace& ws, const QList<CalcBox>& table, const CalcBox& start,
                                  const QString& value, Calculation& run)
{
    // Without a related-content link nothing could be copied: spare the lookup.
    if (start.relatedLink == 0) return;
    LabelParts found = SplitLabel(ws.table.Text(start.row, ElementTable::ColLbl));
    const bool withSuffix = found.suffix >= 1;
    const qint64 record = FindLatestBill(ws, start, value, found);
    if (record == 0) return;
    const QList<BillRow> bill = ReadBill(ws, record);
    const CalcBox* current = &start;
    for (int step = 0; step < kMaxLinkSteps; ++step) {
        if (current->relatedLink == 0 || current->relatedLink == start.id) return;
        current = FindBox(table, current->relatedLink);
        if (!current) return;
        // A box missing from the bill, already matching it, or being left is passed over; the
        // boxes after it are still filled.
        if (current->id == run.leftBox) continue;
        const BillRow* source = FindBillRow(bill, ws, *current, found, withSuffix);
        if (!source || source->content == ws.BoxText(current->row)) continue;
        ws.SetBoxText(current->row, source->content);
        run.relatedFilled.insert(current->id);
        Enqueue(run.work, current->id);
    }
}

QString AutoFill::LatestBillSql(const QString& format, qint64 id, const QString& value)
{
    // Through the index (CID,Con,ID): the newest row of the value is the last entry of its
    // run, whatever the number of bills that hold it.
    return QStringLiteral("SELECT TOP 1 ID FROM 历史 WHERE CID=") + QString::number(id) + QStringLiteral(" AND Con=") +
           SqlQuote(value) + QStringLiteral(" AND Fmt=") + SqlQuote(format) + QStringLiteral(" ORDER BY ID DESC");
}

QString AutoFill::LabelFamilySql(const QString& format, const QString& prefix)
{
    return QStringLiteral("SELECT ID,LBL FROM Fmt WHERE Fmt=") + SqlQuote(format) + QStringLiteral(" AND LBL LIKE '") +
           SqlEscape(LikeLiteral(prefix)) + QStringLiteral("_%'") + LikeEscapeClause(prefix) +
           QStringLiteral(" ORDER BY ID");
}

qint64 AutoFill::LatestBillOfBox(const QString& format, qint64 id, const QString& value)
{
    const Recordset latest = mDb.OpenQuery(LatestBillSql(format, id, value));
    return latest.Eof() ? 0 : latest.Value(QStringLiteral("ID")).toLongLong();
}

qint64 AutoFill::FindLatestBill(const Workspace& ws, const CalcBox& start, const QString& value, LabelParts& label)
{
    if (label.suffix < 1) return LatestBillOfBox(ws.formatName, start.id, value);
    // A label family: the newest bill over every box of the family, one box at a time, each
    // through the index; the found box's suffix names the boxes to copy from.
    qint64 newest = 0;
    QString foundLabel;
    for (Recordset family = mDb.OpenQuery(LabelFamilySql(ws.formatName, label.prefix)); !family.Eof();
         family.MoveNext()) {
        const qint64 record =
            LatestBillOfBox(ws.formatName, family.Value(QStringLiteral("ID")).toLongLong(), value);
        if (record <= newest) continue;
        newest = record;
        foundLabel = family.Text(QStringLiteral("LBL"));
    }
    if (newest == 0) return 0;
    const LabelParts found = SplitLabel(foundLabel);
    label.suffix = found.suffix;
    label.suffixText = found.suffixText;
    return newest;
}

QList<AutoFill::BillRow> AutoFill::ReadBill(const Workspace& ws, qint64 record)
{
    QList<BillRow> bill;
    Recordset rows = mDb.OpenQuery(
        QStringLiteral("SELECT 历史.*,Fmt.LBL AS LBL FROM 历史,Fmt WHERE 历史.CID=Fmt.ID AND 历史.ID=") +
        QString::number(record) + QStringLiteral(" AND 历史.Fmt=") + SqlQuote(ws.formatName));
    for (; !rows.Eof(); rows.MoveNext()) {
        bill << BillRow{rows.Value(QStringLiteral("CID")).toLongLong(), rows.Text(QStringLiteral("LBL")),
                        rows.Text(QStringLiteral("Con"))};
    }
    return bill;
}

const AutoFill::BillRow* AutoFill::FindBillRow(const QList<BillRow>& bill, const Workspace& ws, const CalcBox& box,
                                               const LabelParts& found, bool withSuffix)
{
    const QString wanted = withSuffix ? SplitLabel(ws.table.Text(box.row, ElementTable::ColLbl)).prefix +
                                            QLatin1Char('_') + found.suffixText
                                      : QString();
    for (const BillRow& row : bill) {
        if (withSuffix ? row.label.compare(wanted, Qt::CaseInsensitive) == 0 : row.cid == box.id) return &row;
    }
    return nullptr;
}

void AutoFill::Accumulate(Workspace& ws, const QList<CalcBox>& table, const CalcBox& start, double slot,
                          QList<qint64>& work) const
{
    const qint64 whole = WholePart(slot);
    const qint64 resultId = whole < 0 ? -whole : whole;
    if (whole == 0 || resultId == start.id) return;
    const CalcBox* result = FindBox(table, resultId);
    if (!result) return;
    const QString value = AccumulatedValue(ws, table, slot, resultId);
    const QString shown = value.isEmpty() ? QString() : mConverter.ConvertBoxText(result->cash, value);
    if (shown == ws.BoxText(result->row)) return;
    ws.SetBoxText(result->row, shown);
    Enqueue(work, result->id);
}

QString AutoFill::AccumulatedValue(const Workspace& ws, const QList<CalcBox>& table, double slot,
                                   qint64 resultId) const
{
    const qint64 whole = WholePart(slot);
    const bool product = whole < 0;
    Scaled exact;
    exact.mantissa = product ? 1 : 0;
    long double approximate = product ? 1 : 0;
    for (const CalcBox& box : table) {
        // The result box never enters its own accumulation.
        if (box.id == resultId) continue;
        double term = 0;
        if (WholePart(box.sumId1) == whole) term = box.sumId1;
        else if (WholePart(box.sumId) == whole) term = box.sumId;
        else continue;
        const QString text = CapitalAmount::CapitalToNumber(ws.BoxText(box.row), box.cash);
        if (text.isEmpty() && product) return {};
        Decimal member = Money::ParseAmountExact(text);
        if (HasFraction(term)) member = member.Negated();
        exact = product ? Multiply(exact, ScaledFrom(member)) : Add(exact, ScaledFrom(member));
        approximate = product ? approximate * member.ToDouble() : approximate + member.ToDouble();
    }
    if (!exact.overflow) return PlainText(exact);
    return QString::number(static_cast<double>(approximate), 'g', 15);
}

// ---- Serial numbers ----

QString AutoFill::NextNumber(const QString& text)
{
    if (text.isEmpty()) return {};
    qsizetype last = text.size() - 1;
    while (last >= 0 && !IsAsciiDigit(text[last])) --last;
    if (last < 0) return text.left(text.size() - 1) + QLatin1Char('1');
    qsizetype first = last;
    while (first > 0 && IsAsciiDigit(text[first - 1])) --first;
    return text.left(first) + IncrementDigits(text.mid(first, last - first + 1)) + text.mid(last + 1);
}

QList<int> AutoFill::NumberRows(const Workspace& ws)
{
    QList<int> rows;
    for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
        if (ws.table.KindOf(row) == ElementTable::TextBox &&
            BoxConverter::WholeCode(ws.table.Number(row, ElementTable::ColCash)) == kSerialNumberCode)
            rows << row;
    }
    return rows;
}

QString AutoFill::NewestNumberSql(const QString& format, qint64 id)
{
    // Through the index (CID,ID): the newest row of the box only.
    return QStringLiteral("SELECT TOP 1 Con FROM 历史 WHERE CID=") + QString::number(id) + QStringLiteral(" AND Fmt=") +
           SqlQuote(format) + QStringLiteral(" ORDER BY ID DESC");
}

QString AutoFill::UsedNumberSql(const QString& format, qint64 id, const QString& number)
{
    return QStringLiteral("SELECT TOP 1 ID FROM 历史 WHERE CID=") + QString::number(id) + QStringLiteral(" AND Con=") +
           SqlQuote(number) + QStringLiteral(" AND Fmt=") + SqlQuote(format);
}

void AutoFill::AdvanceNumber(Workspace& ws, int row)
{
    const Recordset newest = mDb.OpenQuery(NewestNumberSql(ws.formatName, ws.table.Id(row)));
    if (!newest.Eof()) ws.SetBoxText(row, NextNumber(newest.Text(QStringLiteral("Con"))));
}

void AutoFill::AdvanceNumbers(Workspace& ws)
{
    for (int row : NumberRows(ws)) AdvanceNumber(ws, row);
}

void AutoFill::AdvanceUsedNumbers(Workspace& ws)
{
    for (int row : NumberRows(ws)) {
        const QString number = ws.BoxText(row);
        // An empty box continues the series the stored bills carry (none: it stays empty).
        if (number.isEmpty()) {
            AdvanceNumber(ws, row);
            continue;
        }
        const Recordset used = mDb.OpenQuery(UsedNumberSql(ws.formatName, ws.table.Id(row), number));
        if (!used.Eof()) AdvanceNumber(ws, row);
    }
}

} // namespace kestrio
