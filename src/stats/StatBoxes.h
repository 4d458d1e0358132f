#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace kestrio {

class DbOperate;

// One entry of a statistics box list: a single input box, or a family of boxes labelled
// base_1, base_2, … offered once as base_XX and read together.
struct StatBox {
    QString label;          // as the list shows it
    QVector<qint64> ids;    // the element IDs it stands for, in element order
    QVector<double> codes;  // their data-type codes, in the same order

    bool IsSet() const { return !ids.isEmpty(); }
    double Code() const { return codes.value(0); }
    double CodeOf(qint64 id) const { return codes.value(ids.indexOf(id)); }
};

// The boxes a statistic can be taken over, by what they hold.
class StatBoxes {
public:
    enum Kind { Amount, Condition, FullDate, Year, Month, Day };

    struct Element {
        qint64 id = 0;
        QString label;
        double code = 0;
    };

    // The text and check boxes of a format, in element order.
    static QVector<Element> LoadElements(DbOperate& db, const QString& format);
    // The list of `kind` from those boxes: boxes of base_n labels joined into one base_XX
    // entry at the place of the first of them.
    static QVector<StatBox> Build(Kind kind, const QVector<Element>& elements);
    // The entry preset in a list: the first whose data type is not 0; -1 for an empty list.
    static int PresetIndex(const QVector<StatBox>& list);
    // The amount entry preset: the first box of figures (104, 105, 117, 118, cells 1–99 and
    // 301–399), which totals to the fen as typed; else PresetIndex.
    static int AmountPresetIndex(const QVector<StatBox>& list);
    // The entry of `list` labelled `label`; an unset box when there is none.
    static StatBox Find(const QVector<StatBox>& list, const QString& label);

    // Whether boxes of the whole data type `code` belong in the list of `kind`.
    static bool Accepts(Kind kind, int code);
    // "base_XX" for a label base_n with n a positive whole number, else empty.
    static QString GroupLabel(const QString& label);
    // Whether `label` belongs to the entry `entryLabel`: equal, or base_n of base_XX.
    static bool CompareLabel(const QString& entryLabel, const QString& label);

    // The distinct contents the box has held in the format's history, sorted.
    static QStringList ConditionValues(DbOperate& db, const QString& format, const StatBox& box);

    // "1,2,3" for a SQL list of the box's element IDs.
    static QString IdList(const QVector<qint64>& ids);
};

} // namespace kestrio
