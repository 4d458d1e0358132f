#pragma once

#include "format/Element.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

namespace kestrio {

class FormatDocument;

// What the property windows show of one element and what they write back: the row is read
// into plain values (numbers as the clerk types them), every field the clerk touches is
// marked, and saving writes only the marked fields, to the edited element and to every
// selected element of its kind, as one undo step.
class EditorModel {
public:
    enum Field {
        Label, X, Y, Width, Height, Spacing, LineSpacing, Alignment, Font, CaptionPosition,
        DataType, Related1, Related2, Sum1, Sum2, LineWidth, LineStyle, FieldCount
    };

    // A related box (RCtl/RCtl1: `negative` is "相关") or an accumulation box (SumID/SumID1:
    // `negative` is "累乘", `negate` is "取负").
    struct Relation {
        qint64 id = 0;
        bool negative = false;
        bool negate = false;
    };

    struct Values {
        QString label;
        QString x, y, width, height, spacing, lineSpacing, lineWidth;
        int alignment = 0;
        int captionPosition = 1;
        // Font columns and colour, taken as they are.
        Element font;
        int baseCode = 0; // the data-type list entry's code
        int cells = 0;    // the cell or digit count for the five cell codes
        int lineStyle = 1;
        Relation related[2];
        Relation sum[2];
    };

    static EditorModel Load(const FormatDocument& document, int row);

    int Row() const { return mRow; }
    int Kind() const { return mKind; }
    const Values& Shown() const { return mValues; }
    // The values to change; mark every field changed with MarkChanged.
    Values& Edit() { return mValues; }
    void MarkChanged(Field field) { mChanged.insert(field); }
    bool IsChanged(Field field) const { return mChanged.contains(field); }

    // The caption a refusal names for a field, when the window shows it under another one
    // (a line's "终点X：" is its width column).
    void SetFieldCaption(Field field, const QString& caption) { mCaptions.insert(field, caption); }

    // Picks a data-type entry: the cell count takes its default of 11.
    void ChooseDataType(int baseCode);
    // A typed cell count; outside 1–99 it becomes 11.
    void SetCells(int cells);

    // Writes the marked fields; on a field that is not a number nothing is written and
    // `error` names the field.
    bool Save(FormatDocument& document, QString* error) const;

    // Column codecs.
    static double EncodeRelation(const Relation& relation);
    static Relation DecodeRelation(double stored);
    static double EncodeSum(const Relation& sum);
    static Relation DecodeSum(double stored);
    // The entry code and cell count shown for a stored Cash value.
    static void DecodeDataType(double cash, int* baseCode, int* cells);

    // Enabling rules of the window for an entry's code.
    static bool CellCountEnabled(int baseCode);
    static bool AlignmentEnabled(int baseCode);
    static bool LineSpacingEnabled(int baseCode);
    static bool CharSpacingEnabled(int baseCode);

    // "000000｜没有相关联输入框", then every other text box as its zero-padded ID and label.
    static QStringList RelationEntries(const FormatDocument& document, int editedRow, QList<qint64>* ids);
    // The data-type list with each custom entry showing its stored text.
    static QStringList DataTypeEntries(const std::function<QString(int code)>& customText);
    static QString CustomTypeKey(int code) { return QStringLiteral("自定义类型") + QString::number(code); }

private:
    bool Apply(Element& element, bool edited, QString* error) const;
    bool ApplyNumber(Field field, const QString& text, double* column, QString* error) const;

    int mRow = -1;
    int mKind = 0;
    Values mValues;
    QSet<int> mChanged;
    QHash<int, QString> mCaptions;
};

} // namespace kestrio
