#pragma once

#include <QList>
#include <QString>

namespace kestrio {

class Prompter;
class Workspace;

// Whether a bill may print or be stored, whatever filled its boxes (typing, a history row,
// a batch row, the command line): every amount box holds an amount to the fen in the form
// its data type prints, its cells hold its digits, the boxes of a same-content ring show one
// amount, and dates read as dates. Those are refusals. A capital amount that is empty, zero
// or negative and an empty date print a cheque that makes no sense: those are asked about.
class BillGate {
public:
    struct Problem {
        int row = -1;     // the box's element table row
        QString reason;   // what is wrong, in the program's words
        bool refused = true; // false: the bill may still print when the clerk agrees
    };

    static QList<Problem> Check(const Workspace& ws);
    // Check, with the first refusal told and the question asked (No by default) unless
    // `allowEmpty`; `context` goes before both (which bill of a batch). True: it may print.
    static bool Confirm(const Workspace& ws, Prompter& prompter, bool allowEmpty = false, const QString& context = {});
    static bool HasRefusal(const QList<Problem>& problems);

    // "“小写金额”：金额格式不正确！"
    static QString Describe(const Workspace& ws, const Problem& problem);
    // The question about the boxes that make no sense; asked with No as the default.
    static QString Question(const Workspace& ws, const QList<Problem>& problems);

    static QString DateReason() { return QStringLiteral("日期格式不正确！"); }
    static QString NoAmountReason() { return QStringLiteral("金额为空、为零或为负数"); }
    static QString NoDateReason() { return QStringLiteral("日期为空"); }
    // "与“大写金额”的金额不一致！"
    static QString DisagreesReason(const QString& otherBox);

private:
    static void CheckAmount(const Workspace& ws, int row, QList<Problem>& problems);
    static void CheckDate(const Workspace& ws, int row, QList<Problem>& problems);
    static void CheckRings(const Workspace& ws, QList<Problem>& problems);
};

} // namespace kestrio
