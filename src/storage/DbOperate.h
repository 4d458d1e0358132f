#pragma once

#include "Database.h"
#include "Recordset.h"

#include <QString>

namespace kestrio {

class Prompter;

// The generic access routines every part of the program builds on. They speak the Jet
// dialect, tell the user about a connection or query that cannot be opened, and otherwise
// let single steps fail quietly: a missing column, an empty query and a closed query all
// simply yield nothing, and the caller carries on.
class DbOperate {
public:
    // The database password the file is keyed with.
    static QByteArray DatabaseKey() { return QByteArrayLiteral("40260813"); }

    DbOperate(Database& db, Prompter& prompter, QString path);

    Database& Db() { return mDb; }
    const QString& Path() const { return mPath; }

    // (Re)opens the connection on the database file. Shows "无法建立数据库连接！" and the
    // cause when it cannot be opened; the program then runs on with empty data. A file found
    // damaged is opened for reading only, and the user is told where the latest backup is.
    bool OpenDatabase();

    // Opens a query; on failure shows "数据库打开错误(<SQL>)！" and returns a result that is
    // not open. The result is read whole, positioned on its first row.
    Recordset OpenQuery(const QString& sql);
    void CloseQuery(Recordset& query);

    bool TableExists(const QString& table);
    bool ColumnExists(const QString& table, const QString& column);
    // Adds the column when missing and puts 0 into it in every row.
    void AddColumn(const QString& table, const QString& column, const QString& type);
    void DropTable(const QString& table);
    // Runs one statement without a message; the result and `error` tell the caller, who
    // says what failed in its own words.
    bool ExecuteSql(const QString& sql, QString* error = nullptr);

    // The named column of the first row matching, as text; empty when there is none.
    QString FieldById(const QString& table, qint64 id, const QString& column);
    QString FieldWhere(const QString& table, const QString& condition, const QString& column);

private:
    Database& mDb;
    Prompter& mPrompter;
    QString mPath;
};

} // namespace kestrio
