#pragma once

#include "FieldType.h"

#include <QString>
#include <QVariant>
#include <QVector>

namespace kestrio {

class Database;

// The result of a query, read whole when it is opened, so other statements may run while it
// is still open. A result of a single-table SELECT is updatable: add a row, set fields,
// store it (the new ID is readable at once), delete the current row.
//
// A result that could not be opened is simply not open: every step on it does nothing and
// every read yields an empty value, so callers carry on as with an empty result.
class Recordset {
public:
    struct Field {
        QString name;
        FieldType type = FieldType::Unknown;
    };

    Recordset() = default;

    bool IsOpen() const { return mOpen; }
    void Close();

    // Navigation. Deleted rows are skipped.
    bool Eof() const;
    void MoveFirst();
    void MoveNext();
    int RecordCount() const;

    int FieldCount() const { return static_cast<int>(mFields.size()); }
    const Field& FieldAt(int index) const { return mFields[index]; }
    // Index of a column by name, ignoring case as the SQL does; -1 when missing.
    int FieldIndex(const QString& name) const;

    // The current row's value; an invalid value past the end or for a missing column.
    QVariant Value(int index) const;
    QVariant Value(const QString& name) const;
    // The same as text (VariantText).
    QString Text(const QString& name) const;
    QString Text(int index) const;

    // Changing rows (updatable results only).
    bool IsUpdatable() const { return mOpen && !mTable.isEmpty(); }
    void AddNew();
    bool SetValue(const QString& name, const QVariant& value);
    // Stores the current row. On failure `error` tells why and the row keeps its changes.
    bool Update(QString* error = nullptr);
    // Deletes the current row; it stays current (and unreadable) until the next move.
    bool Delete(QString* error = nullptr);

private:
    friend class Database;

    struct Row {
        qint64 rowId = 0;
        QVector<QVariant> values;
        QVector<bool> changed;
        bool added = false;
        bool deleted = false;
    };

    bool Current() const { return mPos >= 0 && mPos < mRows.size() && !mRows[mPos].deleted; }
    void SkipDeleted();
    bool Insert(Row& row, QString* error);
    bool Rewrite(Row& row, QString* error);
    void Reload(Row& row);

    Database* mDb = nullptr;
    bool mOpen = false;
    QString mTable;
    QVector<Field> mFields;
    QVector<Row> mRows;
    qsizetype mPos = 0;
};

} // namespace kestrio
