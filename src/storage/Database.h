#pragma once

#include "Recordset.h"

#include <QByteArray>
#include <QHash>

#include <functional>
#include <memory>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

struct sqlite3;
struct sqlite3_stmt;

namespace kestrio {

class Statement;

// The one connection to the encrypted database file, kept for the life of the program
// (deriving the key makes every open cost tens of milliseconds). Statements are written in
// the Jet dialect and pass through JetSqlTranslator.
//
// Open() only ever opens an existing file of ours: a file that is empty, write-protected,
// unencrypted or keyed otherwise is left exactly as it is and the connection stays closed.
class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // How long a writer waits for another program's write to finish before giving up.
    static constexpr int kBusyTimeoutMs = 10000;
    // Files up to this size get a quick check of their structure when opened.
    static constexpr qint64 kQuickCheckLimit = 64 * 1024 * 1024;

    bool Open(const QString& path, const QByteArray& key, QString* error = nullptr);
    // The wait for another writer (kBusyTimeoutMs unless changed).
    void SetBusyTimeout(int milliseconds);
    void Close();
    bool IsOpen() const { return mDb != nullptr; }
    QString Path() const { return mPath; }
    QByteArray Key() const { return mKey; }

    // Creates a new encrypted file at `path` from Jet statements, written beside it under a
    // temporary name and renamed into place only when complete. Fails when `path` exists.
    // `populate` writes further contents into the new file before it is put in place;
    // `beforeRename` runs last and stops the creation (leaving the unfinished file) when it
    // answers false, as a killed program would.
    struct CreateSteps {
        std::function<bool(Database&, QString*)> populate;
        std::function<bool()> beforeRename;
    };
    static bool Create(const QString& path, const QByteArray& key, const QStringList& jetStatements,
                       QString* error = nullptr, const CreateSteps& steps = {});
    // The name this process writes a new file under before it is put in place; each program
    // has its own, so two first starts at once never write into one file.
    static QString PartialPath(const QString& path);
    // Removes from `folder` what killed programs left of their unfinished files (the names
    // PartialPath gives, their journals, unfinished exports); the count removed.
    static int RemoveAbandonedScratch(const QString& folder);

    // Runs one Jet statement that returns no rows.
    bool Execute(const QString& jetSql, QString* error = nullptr);
    // Opens a Jet query; on failure the result is not open and `error` tells why.
    Recordset Query(const QString& jetSql, QString* error = nullptr);

    // Runs a Jet query and hands each row to `visit` as the engine reads it, keeping nothing:
    // for results too large to hold at once, and for work that shows progress while it
    // reads. `visit` returns false to stop early.
    bool ForEachRow(const QString& jetSql, const std::function<bool(const QVector<QVariant>&)>& visit,
                    QString* error = nullptr);

    // Engine SQL, bypassing the translator (indexes, pragmas, maintenance).
    bool ExecuteNative(const QString& sql, QString* error = nullptr);
    bool ExecuteNative(const QString& sql, const QVector<QVariant>& params, QString* error = nullptr);
    // The first column of the first row of an engine query; invalid when none.
    QVariant ScalarNative(const QString& sql, const QVector<QVariant>& params = {}, QString* error = nullptr);

    qint64 LastInsertRowId() const;
    int LastErrorCode() const { return mLastErrorCode; }
    // The cause of the last failure, in the user's words.
    const QString& LastError() const { return mLastError; }
    // The engine found the file damaged: every write is refused from then on.
    bool IsDamaged() const { return mDamaged; }
    // What the user is told about a damaged file, naming the latest backup.
    QString DamageText() const;
    QString CipherVersion();

    // Savepoints; see Transaction for the usual way in.
    bool Begin(const QString& name, QString* error = nullptr);
    bool Commit(const QString& name, QString* error = nullptr);
    void Rollback(const QString& name);

private:
    friend class Recordset;
    friend class DatabaseBackup;

    bool AlterColumn(const QString& table, const QString& column, const QString& type, QString* error);
    bool ReadRows(const QString& sql, Recordset* rs, bool withRowId, QString* error);
    bool Fail(QString* error, const QString& text);
    bool FailWithEngine(QString* error);
    bool RefuseWrite(sqlite3_stmt* stmt, QString* error);
    void QuickCheck();
    bool WaitForCompaction(QString* error);

    sqlite3* mDb = nullptr;
    QHash<QString, std::shared_ptr<Statement>> mStatements; // prepared once, by their text
    QString mPath;
    QByteArray mKey;
    int mLastErrorCode = 0;
    int mBusyTimeoutMs = kBusyTimeoutMs;
    QString mLastError;
    bool mDamaged = false;
    QStringList mSavepoints;       // open savepoints, innermost last
    QStringList mOuterSavepoints;  // those that began the engine transaction
};

} // namespace kestrio
