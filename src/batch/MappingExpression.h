#pragma once

#include <QList>
#include <QString>

namespace kestrio {

struct SourceRows;

// What fills one input box from a source row: parts separated by commas, each either fixed
// text in double quotes ("地址：", “//” for a line break) or a column reference of one or
// two letters (A … ZZ, any case) optionally followed by "+k" to read the row k further down.
// A reference that comes out at 0 or below (a digit, an empty part) reads column A.
class MappingExpression {
public:
    struct Part {
        QString text;   // fixed text when column is 0 and isColumn is false
        bool isColumn = false;
        int column = 0; // from 1; 0 for a reference that matches no column
        int offset = 0; // the "+k"
    };

    MappingExpression() = default;
    explicit MappingExpression(const QString& expression);

    bool IsEmpty() const { return mParts.isEmpty(); }
    const QList<Part>& Parts() const { return mParts; }
    // The largest "+k" of the expression.
    int MaxOffset() const;
    // The rightmost column it reads (from 1); 0 when it reads none.
    int WidestColumn() const;
    // The column a reference names (see the class comment); 0 for none.
    static int ColumnOf(const QString& reference);

    // The box's value for the bill whose first source row is `row` (from 1): the parts
    // concatenated; a row outside the data gives an empty part.
    QString Evaluate(const SourceRows& rows, int row) const;

    // Full-width quotes and comma made plain, trimmed, one leading and one trailing comma
    // removed: the text as it is split.
    static QString Normalized(const QString& expression);

private:
    static Part ParsePart(QString part);

    QList<Part> mParts;
};

} // namespace kestrio
