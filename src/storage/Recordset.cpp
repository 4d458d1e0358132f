#include "Recordset.h"

#include "Database.h"

#include <QStringList>

namespace kestrio {

void Recordset::Close()
{
    *this = Recordset();
}

bool Recordset::Eof() const
{
    return mPos >= mRows.size();
}

void Recordset::SkipDeleted()
{
    while (mPos < mRows.size() && mRows[mPos].deleted) ++mPos;
}

void Recordset::MoveFirst()
{
    mPos = 0;
    SkipDeleted();
}

void Recordset::MoveNext()
{
    if (mPos < mRows.size()) ++mPos;
    SkipDeleted();
}

int Recordset::RecordCount() const
{
    int count = 0;
    for (const Row& row : mRows) count += row.deleted ? 0 : 1;
    return count;
}

int Recordset::FieldIndex(const QString& name) const
{
    for (int i = 0; i < mFields.size(); ++i)
        if (mFields[i].name.compare(name, Qt::CaseInsensitive) == 0) return i;
    // "历史.Con" finds the column Con of a joined result.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 ? FieldIndex(name.mid(dot + 1)) : -1;
}

QVariant Recordset::Value(int index) const
{
    if (!Current() || index < 0 || index >= mFields.size()) return {};
    return mRows[mPos].values[index];
}

QVariant Recordset::Value(const QString& name) const
{
    return Value(FieldIndex(name));
}

QString Recordset::Text(int index) const
{
    if (index < 0 || index >= mFields.size()) return {};
    return VariantText(Value(index), mFields[index].type);
}

QString Recordset::Text(const QString& name) const
{
    return Text(FieldIndex(name));
}

void Recordset::AddNew()
{
    if (!IsUpdatable()) return;
    Row row;
    row.added = true;
    row.values.resize(mFields.size());
    row.changed.fill(false, mFields.size());
    mRows.push_back(std::move(row));
    mPos = mRows.size() - 1;
}

bool Recordset::SetValue(const QString& name, const QVariant& value)
{
    const int index = FieldIndex(name);
    if (!IsUpdatable() || !Current() || index < 0) return false;
    Row& row = mRows[mPos];
    row.values[index] = ValueForColumn(value, mFields[index].type);
    row.changed[index] = true;
    return true;
}

bool Recordset::Update(QString* error)
{
    if (!IsUpdatable() || !Current()) {
        if (error) *error = QStringLiteral("没有可保存的记录");
        return false;
    }
    Row& row = mRows[mPos];
    const bool added = row.added;
    const bool ok = added ? Insert(row, error) : Rewrite(row, error);
    if (ok) {
        row.added = false;
        row.changed.fill(false);
        // A new row learns its ID and the values the engine gave the columns not set.
        if (added) Reload(row);
    }
    return ok;
}

bool Recordset::Insert(Row& row, QString* error)
{
    QStringList names;
    QStringList marks;
    QVector<QVariant> params;
    for (int i = 0; i < mFields.size(); ++i) {
        if (!row.changed[i]) continue;
        names << QLatin1Char('"') + mFields[i].name + QLatin1Char('"');
        marks << QStringLiteral("?");
        params << row.values[i];
    }
    const QString sql = names.isEmpty()
                            ? QStringLiteral("INSERT INTO \"%1\" DEFAULT VALUES").arg(mTable)
                            : QStringLiteral("INSERT INTO \"%1\"(%2) VALUES(%3)")
                                  .arg(mTable, names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    if (!mDb->ExecuteNative(sql, params, error)) return false;
    row.rowId = mDb->LastInsertRowId();
    return true;
}

bool Recordset::Rewrite(Row& row, QString* error)
{
    QStringList sets;
    QVector<QVariant> params;
    for (int i = 0; i < mFields.size(); ++i) {
        if (!row.changed[i]) continue;
        sets << QLatin1Char('"') + mFields[i].name + QStringLiteral("\"=?");
        params << row.values[i];
    }
    if (sets.isEmpty()) return true;
    params << row.rowId;
    return mDb->ExecuteNative(QStringLiteral("UPDATE \"%1\" SET %2 WHERE _rowid_=?").arg(mTable, sets.join(QLatin1Char(','))),
                              params, error);
}

// Reads the stored row back, so that the auto-increment ID and the values as the engine
// stored them are what the caller sees next.
void Recordset::Reload(Row& row)
{
    Recordset stored;
    if (!mDb->ReadRows(QStringLiteral("SELECT _rowid_,* FROM \"%1\" WHERE _rowid_=%2").arg(mTable).arg(row.rowId), &stored,
                       true, nullptr) ||
        stored.mRows.isEmpty())
        return;
    const Row& fresh = stored.mRows.first();
    for (int i = 0; i < mFields.size(); ++i) {
        const int j = stored.FieldIndex(mFields[i].name);
        if (j >= 0) row.values[i] = fresh.values[j];
    }
}

bool Recordset::Delete(QString* error)
{
    if (!IsUpdatable() || !Current()) {
        if (error) *error = QStringLiteral("没有可删除的记录");
        return false;
    }
    Row& row = mRows[mPos];
    if (!row.added &&
        !mDb->ExecuteNative(QStringLiteral("DELETE FROM \"%1\" WHERE _rowid_=?").arg(mTable), {row.rowId}, error))
        return false;
    row.deleted = true;
    return true;
}

} // namespace kestrio
