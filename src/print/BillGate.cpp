#include "BillGate.h"

#include "convert/AmountInput.h"
#include "convert/BoxConverter.h"
#include "convert/CapitalAmount.h"
#include "convert/DataType.h"
#include "convert/Decimal.h"
#include "convert/Money.h"
#include "format/Workspace.h"
#include "print/BillRenderer.h"
#include "print/PaperFit.h"
#include "seams/Clock.h"
#include "seams/Prompter.h"

#include <QSet>

#include <cmath>

namespace kestrio {

namespace {

// Converting a box's text again gives the same text; only the two-digit years of typed
// dates depend on today, and a converted date has four.
const BoxConverter& Converter()
{
    static const SystemClock clock;
    static const BoxConverter converter(clock);
    return converter;
}

double CodeOf(const Workspace& ws, int row)
{
    return ws.table.Number(row, ElementTable::ColCash);
}

qint64 SameContentLink(const ElementTable& table, int row)
{
    for (int col : {ElementTable::ColRCtl1, ElementTable::ColRCtl}) {
        const auto link = static_cast<qint64>(std::trunc(table.Number(row, col)));
        if (link > 0) return link;
    }
    return 0;
}

// The box and the text boxes its same-content links lead to, in order.
QList<int> RingOf(const ElementTable& table, int start)
{
    QList<int> ring{start};
    int row = start;
    for (int step = 0; step < 201; ++step) {
        const qint64 link = SameContentLink(table, row);
        row = link > 0 ? table.RowOfId(link) : -1;
        if (row < 0 || table.KindOf(row) != ElementTable::TextBox || ring.contains(row)) break;
        ring << row;
    }
    return ring;
}

// Which box of a ring tells the amount best: figures keep every fen, capital digits of
// whole yuan keep none.
int Precision(double code)
{
    if (!DataType::IsCapitalAmount(code)) return 3;
    const int w = BoxConverter::WholeCode(code);
    return w == 103 || w == 120 ? 2 : w == 114 ? 1 : 0;
}

bool IsCapitalDateText(const QString& text)
{
    for (const QChar c : text)
        if (!CapitalAmount::IsCapitalDigit(c) && c != QChar(u'拾')) return false;
    return true;
}

} // namespace

QString BillGate::DisagreesReason(const QString& otherBox)
{
    return QStringLiteral("与“%1”的金额不一致！").arg(otherBox);
}

QList<BillGate::Problem> BillGate::Check(const Workspace& ws)
{
    QList<Problem> problems;
    for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
        if (ws.table.KindOf(row) != ElementTable::TextBox) continue;
        const double code = CodeOf(ws, row);
        if (AmountInput::IsAmountCode(code)) CheckAmount(ws, row, problems);
        else if (DataType::IsDate(code)) CheckDate(ws, row, problems);
    }
    CheckRings(ws, problems);
    const int overflow = BillRenderer::AmountOverflowRow(ws);
    if (overflow >= 0) problems.append({overflow, AmountInput::CellsMessage(), true});
    return problems;
}

bool BillGate::Confirm(const Workspace& ws, Prompter& prompter, bool allowEmpty, const QString& context)
{
    const QList<Problem> problems = Check(ws);
    for (const Problem& problem : problems) {
        if (!problem.refused) continue;
        prompter.Message(context + Describe(ws, problem), Prompter::Icon::Warning);
        return false;
    }
    return problems.isEmpty() || allowEmpty || prompter.AskDefaultNo(context + Question(ws, problems));
}

bool BillGate::HasRefusal(const QList<Problem>& problems)
{
    for (const Problem& p : problems)
        if (p.refused) return true;
    return false;
}

void BillGate::CheckAmount(const Workspace& ws, int row, QList<Problem>& problems)
{
    const double code = CodeOf(ws, row);
    const QString text = ws.BoxText(row);
    if (!text.isEmpty()) {
        const QString refusal = AmountInput::Refusal(code, text);
        if (!refusal.isEmpty()) {
            problems.append({row, refusal, true});
            return;
        }
    }
    if (!DataType::IsCapitalAmount(code)) return;
    const Decimal amount = Money::ParseAmountExact(CapitalAmount::CapitalToNumber(text, code));
    if (text.isEmpty() || amount.IsZero() || amount.IsNegative()) problems.append({row, NoAmountReason(), false});
}

void BillGate::CheckDate(const Workspace& ws, int row, QList<Problem>& problems)
{
    const double code = CodeOf(ws, row);
    const QString text = ws.BoxText(row);
    if (text.trimmed().isEmpty()) {
        problems.append({row, NoDateReason(), false});
        return;
    }
    bool reads = true;
    if (DataType::IsCapitalDatePart(code)) reads = IsCapitalDateText(text);
    else if (DataType::IsWholeDate(code) || DataType::IsArabicDatePart(code))
        reads = Converter().ConvertBoxText(code, text) == text;
    if (!reads) problems.append({row, DateReason(), true});
}

void BillGate::CheckRings(const Workspace& ws, QList<Problem>& problems)
{
    QSet<int> refused;
    for (const Problem& p : problems)
        if (p.refused) refused.insert(p.row);
    QSet<int> seen;
    for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
        if (ws.table.KindOf(row) != ElementTable::TextBox || seen.contains(row) || SameContentLink(ws.table, row) == 0)
            continue;
        QList<int> amounts;
        for (int member : RingOf(ws.table, row)) {
            seen.insert(member);
            if (AmountInput::IsAmountCode(CodeOf(ws, member)) && !refused.contains(member)) amounts << member;
        }
        if (amounts.size() < 2) continue;
        int source = -1;
        for (int member : amounts)
            if (!ws.BoxText(member).isEmpty() &&
                (source < 0 || Precision(CodeOf(ws, member)) > Precision(CodeOf(ws, source))))
                source = member;
        if (source < 0) continue;
        const QString value = CapitalAmount::CapitalToNumber(ws.BoxText(source), CodeOf(ws, source));
        for (int member : amounts) {
            if (member == source) continue;
            if (Converter().ConvertBoxText(CodeOf(ws, member), value) == ws.BoxText(member)) continue;
            problems.append({member, DisagreesReason(PaperFit::BoxName(ws, source)), true});
        }
    }
}

QString BillGate::Describe(const Workspace& ws, const Problem& problem)
{
    return QStringLiteral("“") + PaperFit::BoxName(ws, problem.row) + QStringLiteral("”：") + problem.reason;
}

QString BillGate::Question(const Workspace& ws, const QList<Problem>& problems)
{
    QStringList lines;
    for (const Problem& p : problems)
        if (!p.refused) lines << Describe(ws, p);
    return QStringLiteral("这张单据打印出来没有意义：\n%1\n\n仍然打印吗？选“否”回去修改。").arg(lines.join(QLatin1Char('\n')));
}

} // namespace kestrio
