#pragma once

#include "convert/BoxConverter.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace kestrio {

class Clock;
class DbOperate;
class Workspace;

// Filling boxes for the user from history and from the other boxes of the bill: completion
// while typing, the suggestion list, same-content rings, related content from the latest
// bill holding a value, sums and products, and serial numbers (data type 122).
class AutoFill {
public:
    AutoFill(DbOperate& db, const Clock& clock, QString customPattern = {});

    // What completion does to the typed text: when `completed`, the box shows `text` with
    // `selectionLength` characters from `selectionStart` selected (the completed tail).
    struct Completion {
        bool completed = false;
        QString text;
        int selectionStart = 0;
        int selectionLength = 0;
    };
    // Completes `typed` in the box of element `id` when exactly one distinct earlier value of
    // that box starts with it (literally: "%" and "_" typed are plain characters).
    Completion AutoComplete(const Workspace& ws, qint64 id, const QString& typed);

    // The earlier values of the box, sorted; a label such as 收款人_2 gathers the values of
    // every box of the 收款人_ family in every format.
    QStringList FillSuggestions(const Workspace& ws, qint64 id);

    // The calculation run when the box of element `id` loses the focus.
    void RecalculateFrom(Workspace& ws, qint64 id);

    // NO2024-0099 → NO2024-0100, A9 → A10, 12/B → 13/B; no digit: the last character
    // becomes "1"; "" stays "".
    static QString NextNumber(const QString& text);
    // Every serial-number box gets the number after the newest one stored for it.
    void AdvanceNumbers(Workspace& ws);
    // Only the serial-number boxes whose number a stored bill already carries, or that are
    // empty while stored bills carry numbers: a bill made from the defaults again (the
    // command line, a restart) never repeats a number nor drops out of the series.
    void AdvanceUsedNumbers(Workspace& ws);

    // Text for a LIKE pattern that matches itself only (escape character "\"); quotes are
    // left to SqlEscape.
    static QString LikeLiteral(const QString& text);
    // " ESCAPE '\'" that goes with LikeLiteral.
    static QString LikeEscapeClause(const QString& text);

    // The lookups made while typing, as Jet text. Each goes through an index of 历史 to the
    // few rows it needs, whatever the value: none reads every row of a format or of a box.
    // The first value (in the box's sort order) after `after` that starts with `typed`; with
    // `after` empty, the first one.
    static QString CompletionSql(const QString& format, qint64 id, const QString& typed, const QString& after = {});
    // The newest history row in which box `id` held `value`.
    static QString LatestBillSql(const QString& format, qint64 id, const QString& value);
    // The boxes of the format whose label is `prefix` + "_" + something.
    static QString LabelFamilySql(const QString& format, const QString& prefix);
    // The newest stored content of box `id`.
    static QString NewestNumberSql(const QString& format, qint64 id);
    // A bill that already carries `number` in box `id`.
    static QString UsedNumberSql(const QString& format, qint64 id, const QString& number);

private:
    // One text box of the calculation table.
    struct CalcBox {
        int row = 0;
        qint64 id = 0;
        double cash = 0;
        qint64 sameLink = 0;
        qint64 relatedLink = 0;
        double sumId = 0;
        double sumId1 = 0;
    };
    // A label split at its last "_"; `suffix` is the number after it, below 1 when none.
    struct LabelParts {
        QString prefix;
        double suffix = 0;
        QString suffixText;
    };
    // One box of the bill that related content is copied from.
    struct BillRow {
        qint64 cid = 0;
        QString label;
        QString content;
    };

    static QList<int> NumberRows(const Workspace& ws);
    // The first value found by CompletionSql; empty when none.
    QString FirstCompletion(const QString& format, qint64 id, const QString& typed, const QString& after);
    void AdvanceNumber(Workspace& ws, int row);

    static QList<CalcBox> BuildCalcTable(const Workspace& ws);
    static const CalcBox* FindBox(const QList<CalcBox>& table, qint64 id);
    static LabelParts SplitLabel(const QString& label);
    static void Enqueue(QList<qint64>& work, qint64 id);
    static qint64 WholePart(double value) { return static_cast<qint64>(value); }

    // One RecalculateFrom: the boxes still to process, the box the user is leaving (never
    // rewritten by a same-content or related fill) and the boxes a related fill wrote.
    struct Calculation {
        QList<qint64> work;
        qint64 leftBox = 0;
        QSet<qint64> relatedFilled;
    };

    void WalkSameContent(Workspace& ws, const QList<CalcBox>& table, const CalcBox& start, const QString& value,
                         Calculation& run) const;
    void FillRelatedContent(Workspace& ws, const QList<CalcBox>& table, const CalcBox& start, const QString& value,
                            Calculation& run);
    qint64 FindLatestBill(const Workspace& ws, const CalcBox& start, const QString& value, LabelParts& label);
    // The record number of the newest bill in which box `id` held `value`; 0 when none.
    qint64 LatestBillOfBox(const QString& format, qint64 id, const QString& value);
    QList<BillRow> ReadBill(const Workspace& ws, qint64 record);
    static const BillRow* FindBillRow(const QList<BillRow>& bill, const Workspace& ws, const CalcBox& box,
                                      const LabelParts& found, bool withSuffix);
    void Accumulate(Workspace& ws, const QList<CalcBox>& table, const CalcBox& start, double slot,
                    QList<qint64>& work) const;
    // The accumulation named by `slot` as a plain number; empty for a product with an empty
    // member.
    QString AccumulatedValue(const Workspace& ws, const QList<CalcBox>& table, double slot, qint64 resultId) const;

    DbOperate& mDb;
    BoxConverter mConverter;
};

} // namespace kestrio
