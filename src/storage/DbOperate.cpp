#include "DbOperate.h"

#include "seams/Prompter.h"

namespace kestrio {

DbOperate::DbOperate(Database& db, Prompter& prompter, QString path)
    : mDb(db), mPrompter(prompter), mPath(std::move(path))
{
}

bool DbOperate::OpenDatabase()
{
    mDb.Close();
    QString cause;
    if (mDb.Open(mPath, DatabaseKey(), &cause)) {
        if (mDb.IsDamaged()) mPrompter.Message(mDb.DamageText(), Prompter::Icon::Critical);
        return true;
    }
    // The same first line as ever, then why: the user can do something about each cause.
    mPrompter.Message(QStringLiteral("无法建立数据库连接！\n") + cause, Prompter::Icon::Critical);
    return false;
}

Recordset DbOperate::OpenQuery(const QString& sql)
{
    QString error;
    Recordset query = mDb.Query(sql, &error);
    if (!query.IsOpen())
        mPrompter.Message(QStringLiteral("数据库打开错误(") + sql + QStringLiteral(")！"), Prompter::Icon::Critical);
    return query;
}

void DbOperate::CloseQuery(Recordset& query)
{
    query.Close();
}

bool DbOperate::TableExists(const QString& table)
{
    // Names compare exactly, as the catalogue lists them.
    const QVariant found = mDb.ScalarNative(
        QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND name=? COLLATE BINARY"), {table});
    return found.isValid();
}

bool DbOperate::ColumnExists(const QString& table, const QString& column)
{
    Recordset query = mDb.Query(QStringLiteral("SELECT TOP 1 * FROM ") + table);
    for (int i = 0; i < query.FieldCount(); ++i)
        if (query.FieldAt(i).name == column) return true;
    return false;
}

void DbOperate::AddColumn(const QString& table, const QString& column, const QString& type)
{
    if (ColumnExists(table, column)) return;
    ExecuteSql(QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD ") + column + QLatin1Char(' ') + type);
    ExecuteSql(QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + column + QStringLiteral("=0"));
}

void DbOperate::DropTable(const QString& table)
{
    if (TableExists(table)) ExecuteSql(QStringLiteral("DROP TABLE ") + table);
}

bool DbOperate::ExecuteSql(const QString& sql, QString* error)
{
    return mDb.Execute(sql, error);
}

QString DbOperate::FieldById(const QString& table, qint64 id, const QString& column)
{
    return FieldWhere(table, QStringLiteral("ID=") + QString::number(id), column);
}

QString DbOperate::FieldWhere(const QString& table, const QString& condition, const QString& column)
{
    const Recordset query = OpenQuery(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE ") + condition);
    if (query.Eof()) return {};
    return query.Text(column);
}

} // namespace kestrio
