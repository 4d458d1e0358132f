#include "Database.h"

#include "DatabaseFailure.h"
#include "DerivedKey.h"
#include "JetSqlTranslator.h"
#include "SqlQuote.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlcipher/sqlite3.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace kestrio {

namespace {

QString ErrorText(sqlite3* db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("no connection");
}

} // namespace

// An owned prepared statement.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql)
    {
        const QByteArray utf8 = sql.toUtf8();
        mCode = sqlite3_prepare_v2(db, utf8.constData(), static_cast<int>(utf8.size()), &mStmt, nullptr);
    }
    ~Statement() { sqlite3_finalize(mStmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return mCode == SQLITE_OK && mStmt; }
    int Code() const { return mCode; }
    sqlite3_stmt* Get() const { return mStmt; }

    bool Bind(const QVector<QVariant>& params)
    {
        for (int i = 0; i < params.size(); ++i)
            if (BindOne(i + 1, params[i]) != SQLITE_OK) return false;
        return true;
    }

private:
    int BindOne(int index, const QVariant& value)
    {
        if (!value.isValid() || value.isNull()) return sqlite3_bind_null(mStmt, index);
        switch (value.typeId()) {
        case QMetaType::Bool:
            return sqlite3_bind_int(mStmt, index, value.toBool() ? 1 : 0);
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Long:
        case QMetaType::Short:
            return sqlite3_bind_int64(mStmt, index, value.toLongLong());
        case QMetaType::Double:
        case QMetaType::Float:
            return sqlite3_bind_double(mStmt, index, value.toDouble());
        default: {
            const QByteArray utf8 = VariantText(value).toUtf8();
            return sqlite3_bind_text(mStmt, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        }
        }
    }

    sqlite3_stmt* mStmt = nullptr;
    int mCode = SQLITE_ERROR;
};

namespace {

QVariant ColumnValue(sqlite3_stmt* stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, column));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                          sqlite3_column_bytes(stmt, column)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, column)),
                                   sqlite3_column_bytes(stmt, column)));
    default:
        return QVariant();
    }
}

QString QuoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString KeyPragma(const QByteArray& key)
{
    return QStringLiteral("PRAGMA key = ") + SqlQuote(QString::fromUtf8(key));
}

// A file we never touch: empty, or with no write permission bit for its owner (the owner's
// intent counts even when this process could write it anyway).
QString RefusedFileReason(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) return QStringLiteral("数据库文件不存在");
    if (!info.isFile()) return QStringLiteral("不是文件");
    if (info.size() == 0) return QStringLiteral("文件为空，") + DatabaseFailure::NotOursText();
    if (!(info.permissions() & QFileDevice::WriteOwner) || !info.isWritable()) return DatabaseFailure::ReadOnlyFileText();
    return {};
}

} // namespace

Database::~Database()
{
    Close();
}

bool Database::Fail(QString* error, const QString& text)
{
    mLastError = text;
    if (error) *error = text;
    return false;
}

// Records the engine's last failure, marks the file damaged when the engine says so, and
// tells the caller the cause in the user's words.
bool Database::FailWithEngine(QString* error)
{
    mLastErrorCode = mDb ? sqlite3_errcode(mDb) : SQLITE_MISUSE;
    if (DatabaseFailure::IsDamage(mLastErrorCode)) mDamaged = true;
    return Fail(error, DatabaseFailure::Describe(mLastErrorCode, mPath, ErrorText(mDb)));
}

// Once the file is known to be damaged nothing may be written into it: a write would spread
// the damage or bury what a repair could still save.
bool Database::RefuseWrite(sqlite3_stmt* stmt, QString* error)
{
    if (!mDamaged || sqlite3_stmt_readonly(stmt)) return false;
    mLastErrorCode = SQLITE_CORRUPT;
    Fail(error, DamageText());
    return true;
}

QString Database::DamageText() const
{
    return DatabaseFailure::DamageText(mPath);
}

// Reads every page of a small file once, so that a damaged one is known before anything is
// written into it; a large file is checked by the engine as its pages are used.
void Database::QuickCheck()
{
    if (QFileInfo(mPath).size() > kQuickCheckLimit) return;
    QString error;
    const QVariant verdict = ScalarNative(QStringLiteral("PRAGMA quick_check(1)"), {}, &error);
    if (!verdict.isValid() || verdict.toString() != QLatin1String("ok")) mDamaged = true;
}

bool Database::Open(const QString& path, const QByteArray& key, QString* error)
{
    Close();
    const QString refused = RefusedFileReason(path);
    if (!refused.isEmpty()) return Fail(error, refused);

    sqlite3* db = nullptr;
    const QByteArray native = QFile::encodeName(QDir::toNativeSeparators(path));
    if (sqlite3_open_v2(native.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const QString text = DatabaseFailure::Describe(sqlite3_errcode(db), path, ErrorText(db));
        sqlite3_close(db);
        return Fail(error, text);
    }
    mDb = db;
    mPath = path;
    mKey = key;
    mDamaged = false;
    mSavepoints.clear();
    mOuterSavepoints.clear();
    // Another program (the windows beside a command, or two commands) may be writing: wait
    // for it rather than fail at once.
    sqlite3_busy_timeout(mDb, kBusyTimeoutMs);
    mBusyTimeoutMs = kBusyTimeoutMs;
    QString stepError;
    if (CipherVersion().isEmpty()) {
        Close();
        return Fail(error, QStringLiteral("数据库引擎不支持加密"));
    }
    // The key must be the first statement; the read that follows fails on any file that is
    // not ours (plain SQLite, another key, garbage).
    if (!ExecuteNative(KeyPragma(DerivedKey::KeyValueFor(key, DerivedKey::SaltOf(path))), &stepError) ||
        !ScalarNative(QStringLiteral("SELECT count(*) FROM sqlite_master"), {}, &stepError).isValid()) {
        const int code = sqlite3_errcode(mDb);
        Close();
        // A wrong key and a first page that does not decrypt look the same to the engine.
        if ((code & 0xff) == SQLITE_NOTADB || (code & 0xff) == SQLITE_CORRUPT)
            stepError = DatabaseFailure::NotOursText() + QStringLiteral("，或文件已损坏");
        return Fail(error, stepError);
    }
    if (sqlite3_db_readonly(mDb, "main") == 1) {
        Close();
        return Fail(error, DatabaseFailure::ReadOnlyFileText());
    }
    ExecuteNative(QStringLiteral("PRAGMA foreign_keys = OFF"));
    QuickCheck();
    return true;
}

void Database::SetBusyTimeout(int milliseconds)
{
    mBusyTimeoutMs = milliseconds;
    if (mDb) sqlite3_busy_timeout(mDb, milliseconds);
}

// A compaction must get the file between two bills, which a writer storing bill after bill
// hardly ever leaves it: a new transaction waits until the compaction is over (as long as it
// would wait for any other writer) and is then told why it gave up.
bool Database::WaitForCompaction(QString* error)
{
    const QString marker = DatabaseFailure::CompactionMarker(mPath);
    QElapsedTimer waited;
    waited.start();
    while (QFileInfo::exists(marker) && DatabaseFailure::IsBeingCompacted(mPath)) {
        if (waited.elapsed() > mBusyTimeoutMs) {
            mLastErrorCode = SQLITE_BUSY;
            return Fail(error, DatabaseFailure::CompactingText());
        }
        sqlite3_sleep(10);
    }
    return true;
}

void Database::Close()
{
    mStatements.clear();
    mSavepoints.clear();
    mOuterSavepoints.clear();
    if (mDb) sqlite3_close_v2(mDb);
    mDb = nullptr;
}

QString Database::CipherVersion()
{
    if (!mDb) return {};
    Statement stmt(mDb, QStringLiteral("PRAGMA cipher_version"));
    if (!stmt.Ok() || sqlite3_step(stmt.Get()) != SQLITE_ROW) return {};
    return ColumnValue(stmt.Get(), 0).toString();
}

QString Database::PartialPath(const QString& path)
{
    return path + QStringLiteral(".creating-") + QString::number(QCoreApplication::applicationPid());
}

namespace {

// Puts `partial` in place as `path` unless a file is already there (another program made it
// first): link() fails rather than replace.
bool PutInPlaceIfAbsent(const QString& partial, const QString& path)
{
    const bool linked = ::link(QFile::encodeName(partial).constData(), QFile::encodeName(path).constData()) == 0;
    QFile::remove(partial);
    return linked;
}

} // namespace

namespace {

bool IsDeadProcess(const QString& digits)
{
    bool ok = false;
    const qint64 pid = digits.toLongLong(&ok);
    return ok && pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

// Only names this program makes, and only those of a process that is gone: a program still
// running keeps its own.
int Database::RemoveAbandonedScratch(const QString& folderPath)
{
    QDir folder(folderPath);
    int removed = 0;
    const QString creating = QStringLiteral(".creating-");
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden)) {
        QString pid;
        const qsizetype at = name.lastIndexOf(creating);
        if (at > 0) pid = name.mid(at + creating.size()).section(QLatin1Char('-'), 0, 0);
        else if (name.startsWith(QLatin1String(".kestrio-export-")))
            pid = name.mid(16).section(QLatin1Char('-'), 0, 0);
        if (!pid.isEmpty() && IsDeadProcess(pid) && folder.remove(name)) ++removed;
    }
    return removed;
}

bool Database::Create(const QString& path, const QByteArray& key, const QStringList& jetStatements, QString* error,
                      const CreateSteps& steps)
{
    if (QFileInfo::exists(path)) {
        if (error) *error = QStringLiteral("文件已存在");
        return false;
    }
    // A file left by a start that was killed half-way is never used: it starts again.
    const QString partial = PartialPath(path);
    RemoveAbandonedScratch(QFileInfo(path).absolutePath());
    QFile::remove(partial);
    QFile::remove(partial + QStringLiteral("-journal"));
    QFile placeholder(partial);
    // The engine must start from an empty file; it never makes one of its own here. The
    // bills in it are the office's business alone: only the owner may read it.
    if (!placeholder.open(QIODevice::WriteOnly)) {
        if (error) *error = DatabaseFailure::FolderNotWritableText() + QStringLiteral("：") + placeholder.errorString();
        return false;
    }
    placeholder.close();
    placeholder.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    bool ok = true;
    {
        Database db;
        db.mPath = partial;
        db.mKey = key;
        const QByteArray native = QFile::encodeName(QDir::toNativeSeparators(partial));
        sqlite3* handle = nullptr;
        ok = sqlite3_open_v2(native.constData(), &handle, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
        db.mDb = handle;
        ok = ok && !db.CipherVersion().isEmpty() &&
             db.ExecuteNative(KeyPragma(DerivedKey::KeyValueFor(key, DerivedKey::NewSalt())), error);
        ok = ok && db.ExecuteNative(QStringLiteral("BEGIN"), error);
        for (const QString& statement : jetStatements) {
            if (!ok) break;
            ok = db.Execute(statement, error);
        }
        ok = ok && db.ExecuteNative(QStringLiteral("COMMIT"), error);
        ok = ok && (!steps.populate || steps.populate(db, error));
    }
    if (ok && steps.beforeRename && !steps.beforeRename()) return false;
    if (ok && !PutInPlaceIfAbsent(partial, path)) {
        ok = false;
        if (error) *error = QFileInfo::exists(path) ? QStringLiteral("文件已存在") : QStringLiteral("无法写入") + path;
    }
    if (!ok) QFile::remove(partial);
    return ok;
}

bool Database::ExecuteNative(const QString& sql, QString* error)
{
    return ExecuteNative(sql, {}, error);
}

bool Database::ExecuteNative(const QString& sql, const QVector<QVariant>& params, QString* error)
{
    if (!mDb) return Fail(error, QStringLiteral("数据库未打开"));
    // Row updates repeat the same few statements hundreds of times in a save: they are
    // prepared once and kept.
    std::unique_ptr<Statement> fresh;
    Statement* stmt = nullptr;
    if (!params.isEmpty()) {
        if (mStatements.size() > 256 && !mStatements.contains(sql)) mStatements.clear();
        auto& cached = mStatements[sql];
        if (!cached) cached = std::make_shared<Statement>(mDb, sql);
        stmt = cached.get();
        sqlite3_reset(stmt->Get());
        sqlite3_clear_bindings(stmt->Get());
    } else {
        fresh = std::make_unique<Statement>(mDb, sql);
        stmt = fresh.get();
    }
    if (!stmt->Ok() || !stmt->Bind(params)) {
        const bool failed = FailWithEngine(error);
        mStatements.remove(sql);
        return failed;
    }
    if (RefuseWrite(stmt->Get(), error)) return false;
    int code;
    while ((code = sqlite3_step(stmt->Get())) == SQLITE_ROW) {
    }
    if (code != SQLITE_DONE) {
        const bool failed = FailWithEngine(error);
        sqlite3_reset(stmt->Get());
        return failed;
    }
    sqlite3_reset(stmt->Get());
    return true;
}

QVariant Database::ScalarNative(const QString& sql, const QVector<QVariant>& params, QString* error)
{
    if (!mDb) {
        Fail(error, QStringLiteral("数据库未打开"));
        return {};
    }
    Statement stmt(mDb, sql);
    if (!stmt.Ok() || !stmt.Bind(params)) {
        FailWithEngine(error);
        return {};
    }
    if (RefuseWrite(stmt.Get(), error)) return {};
    const int code = sqlite3_step(stmt.Get());
    if (code == SQLITE_ROW) {
        const QVariant value = ColumnValue(stmt.Get(), 0);
        // A NULL still answers the query: report it as an empty text rather than "no row".
        return value.isValid() ? value : QVariant(QString());
    }
    if (code != SQLITE_DONE) FailWithEngine(error);
    return {};
}

qint64 Database::LastInsertRowId() const
{
    return mDb ? sqlite3_last_insert_rowid(mDb) : 0;
}

bool Database::Execute(const QString& jetSql, QString* error)
{
    const JetSqlTranslator::Result translated = JetSqlTranslator::Translate(jetSql);
    if (translated.kind == JetSqlTranslator::Result::Kind::AlterColumn)
        return AlterColumn(translated.table, translated.column, translated.columnType, error);
    return ExecuteNative(translated.sql, error);
}

Recordset Database::Query(const QString& jetSql, QString* error)
{
    Recordset rs;
    const JetSqlTranslator::Result translated = JetSqlTranslator::Translate(jetSql);
    const bool updatable = !translated.updatableTable.isEmpty();
    if (!ReadRows(updatable ? translated.sqlWithRowId : translated.sql, &rs, updatable, error)) return Recordset();
    rs.mTable = translated.updatableTable;
    return rs;
}

bool Database::ForEachRow(const QString& jetSql, const std::function<bool(const QVector<QVariant>&)>& visit,
                          QString* error)
{
    if (!mDb) return Fail(error, QStringLiteral("数据库未打开"));
    Statement stmt(mDb, JetSqlTranslator::Translate(jetSql).sql);
    if (!stmt.Ok()) {
        mLastErrorCode = sqlite3_errcode(mDb);
        return Fail(error, ErrorText(mDb));
    }
    const int columns = sqlite3_column_count(stmt.Get());
    QVector<QVariant> values(columns);
    int code;
    while ((code = sqlite3_step(stmt.Get())) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) values[c] = ColumnValue(stmt.Get(), c);
        if (!visit(values)) return true;
    }
    if (code != SQLITE_DONE) {
        mLastErrorCode = sqlite3_errcode(mDb);
        return Fail(error, ErrorText(mDb));
    }
    return true;
}

bool Database::ReadRows(const QString& sql, Recordset* rs, bool withRowId, QString* error)
{
    if (!mDb) return Fail(error, QStringLiteral("数据库未打开"));
    Statement stmt(mDb, sql);
    if (!stmt.Ok()) return FailWithEngine(error);
    if (RefuseWrite(stmt.Get(), error)) return false;
    const int columns = sqlite3_column_count(stmt.Get());
    const int first = withRowId ? 1 : 0;
    for (int c = first; c < columns; ++c) {
        const char* decl = sqlite3_column_decltype(stmt.Get(), c);
        rs->mFields.push_back({QString::fromUtf8(sqlite3_column_name(stmt.Get(), c)),
                               FieldTypeFromDeclaration(decl ? QString::fromUtf8(decl) : QString())});
    }
    int code;
    while ((code = sqlite3_step(stmt.Get())) == SQLITE_ROW) {
        Recordset::Row row;
        row.rowId = withRowId ? sqlite3_column_int64(stmt.Get(), 0) : 0;
        row.values.reserve(columns - first);
        for (int c = first; c < columns; ++c) row.values.push_back(ColumnValue(stmt.Get(), c));
        row.changed.fill(false, columns - first);
        rs->mRows.push_back(std::move(row));
    }
    if (code != SQLITE_DONE) return FailWithEngine(error);
    rs->mDb = this;
    rs->mOpen = true;
    rs->mPos = 0;
    return true;
}

// The outermost level takes the write lock at once (waiting for another writer up to the
// busy timeout), so that what it reads — the next record number, whether a name is taken —
// cannot change before it writes. Inner levels are savepoints.
bool Database::Begin(const QString& name, QString* error)
{
    if (!mDb) return Fail(error, QStringLiteral("数据库未打开"));
    if (mDamaged) return Fail(error, DamageText());
    const bool outer = sqlite3_get_autocommit(mDb) != 0;
    if (outer && !WaitForCompaction(error)) return false;
    if (!ExecuteNative(outer ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("SAVEPOINT ") + name, error))
        return false;
    mSavepoints << name;
    if (outer) mOuterSavepoints << name;
    return true;
}

bool Database::Commit(const QString& name, QString* error)
{
    if (!mSavepoints.contains(name)) return Fail(error, QStringLiteral("事务已结束"));
    if (!mOuterSavepoints.contains(name)) {
        if (ExecuteNative(QStringLiteral("RELEASE ") + name, error)) {
            mSavepoints.removeAll(name);
            return true;
        }
        Rollback(name);
        return false;
    }
    // A commit the engine refuses (another program reading for too long, a full disk) leaves
    // the transaction open: it is undone, so nothing half-written stays.
    if (ExecuteNative(QStringLiteral("COMMIT"), error)) {
        mSavepoints.removeAll(name);
        mOuterSavepoints.removeAll(name);
        return true;
    }
    Rollback(name);
    return false;
}

void Database::Rollback(const QString& name)
{
    if (!mSavepoints.contains(name)) return;
    if (mOuterSavepoints.contains(name)) {
        if (mDb && !sqlite3_get_autocommit(mDb)) ExecuteNative(QStringLiteral("ROLLBACK"));
        mSavepoints.clear();
        mOuterSavepoints.clear();
        return;
    }
    ExecuteNative(QStringLiteral("ROLLBACK TO ") + name);
    ExecuteNative(QStringLiteral("RELEASE ") + name);
    while (!mSavepoints.isEmpty() && mSavepoints.takeLast() != name) {
    }
}

// The engine cannot change a column's type in place, so the table is built again with the
// new declaration and its rows, indexes and auto-increment counter carried over. A column
// that is missing fails; one that already has the type is left alone.
bool Database::AlterColumn(const QString& table, const QString& column, const QString& type, QString* error)
{
    const QString createSql = ScalarNative(
        QStringLiteral("SELECT sql FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE"), {table}, error)
                                  .toString();
    const qsizetype open = createSql.indexOf(QLatin1Char('('));
    const qsizetype close = createSql.lastIndexOf(QLatin1Char(')'));
    if (createSql.isEmpty() || open < 0 || close < open) return Fail(error, QStringLiteral("no such table: ") + table);

    QStringList defs = JetSqlTranslator::SplitTopLevel(createSql.mid(open + 1, close - open - 1));
    static const QRegularExpression nameAndType(QStringLiteral("^\\s*(\\[[^\\]]+\\]|\"[^\"]+\"|\\S+)\\s*(.*)$"),
                                                QRegularExpression::DotMatchesEverythingOption);
    int found = -1;
    for (int i = 0; i < defs.size(); ++i) {
        QString name = nameAndType.match(defs[i]).captured(1);
        if (name.startsWith(QLatin1Char('[')) || name.startsWith(QLatin1Char('"'))) name = name.mid(1, name.size() - 2);
        if (name.compare(column, Qt::CaseInsensitive) == 0) found = i;
    }
    if (found < 0) return Fail(error, QStringLiteral("no such column: ") + column);
    const auto parts = nameAndType.match(defs[found]);
    if (parts.captured(2).trimmed().compare(type, Qt::CaseInsensitive) == 0) return true;
    if (parts.captured(2).contains(QLatin1String("PRIMARY KEY"), Qt::CaseInsensitive))
        return Fail(error, QStringLiteral("cannot change the key column"));
    defs[found] = parts.captured(1) + QLatin1Char(' ') + type;

    const QString quoted = QuoteIdentifier(table);
    const QString scratch = QStringLiteral("kx_rebuild");
    QVector<QString> indexes;
    {
        Recordset idx;
        ReadRows(QStringLiteral("SELECT sql FROM sqlite_master WHERE type='index' AND tbl_name=") +
                     SqlQuote(table) + QStringLiteral(" COLLATE NOCASE AND sql IS NOT NULL"),
                 &idx, false, nullptr);
        for (idx.MoveFirst(); !idx.Eof(); idx.MoveNext()) indexes << idx.Text(0);
    }
    const QVariant sequence = ScalarNative(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name=?"), {table});

    const QString savepoint = QStringLiteral("kx_alter");
    if (!Begin(savepoint, error)) return false;
    bool ok = ExecuteNative(QStringLiteral("DROP TABLE IF EXISTS ") + scratch, error) &&
              ExecuteNative(QStringLiteral("CREATE TABLE ") + scratch + QLatin1Char('(') + defs.join(QLatin1Char(',')) +
                                QLatin1Char(')'),
                            error) &&
              ExecuteNative(QStringLiteral("INSERT INTO ") + scratch + QStringLiteral(" SELECT * FROM ") + quoted, error) &&
              ExecuteNative(QStringLiteral("DROP TABLE ") + quoted, error) &&
              ExecuteNative(QStringLiteral("ALTER TABLE ") + scratch + QStringLiteral(" RENAME TO ") + quoted, error);
    if (ok && sequence.isValid() && !sequence.toString().isEmpty())
        ok = ExecuteNative(QStringLiteral("UPDATE sqlite_sequence SET seq=max(seq,?) WHERE name=?"), {sequence, table},
                           error);
    for (const QString& index : indexes) ok = ok && ExecuteNative(index, error);
    if (!ok) {
        Rollback(savepoint);
        return false;
    }
    return Commit(savepoint, error);
}

} // namespace kestrio
