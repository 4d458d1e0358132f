#pragma once

#include "app/ConsolePrompter.h"
#include "seams/Progress.h"
#include "seams/ScreenInfo.h"
#include "storage/Database.h"
#include "storage/DbOperate.h"
#include "storage/SchemaUpgrade.h"
#include "storage/ShippedDatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace kestrio::bench {

// Twenty formats of ten boxes each; `bills` bills spread over them, one 历史 row per box.
inline QString HistoryFill(qint64 rows)
{
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 FROM n WHERE i<%1) "
                          "INSERT INTO 历史(ID,Fmt,CID,Con) SELECT (i/10)/20+1, '格式'||((i/10)%20), "
                          "((i/10)%20)*10+(i%10)+2, '内容'||i FROM n")
        .arg(rows - 1);
}

// A database in `folder` with `rows` history rows, made once and kept for later runs.
inline bool PrepareHistory(const QString& folder, qint64 rows)
{
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(QStringLiteral("DATA.mdb"));
    Database db;
    if (QFileInfo::exists(path) && db.Open(path, DbOperate::DatabaseKey()) &&
        db.ScalarNative(QStringLiteral("SELECT count(*) FROM 历史")).toLongLong() == rows)
        return true;
    db.Close();
    QFile::remove(path);
    if (!ShippedDatabase::CreateIfMissing(path) || !db.Open(path, DbOperate::DatabaseKey())) return false;
    QTextStream err(stderr);
    ConsolePrompter prompter(err);
    DbOperate op(db, prompter, path);
    SchemaUpgrade::Run(op);
    return db.ExecuteNative(QStringLiteral("BEGIN")) && db.ExecuteNative(HistoryFill(rows)) &&
           db.ExecuteNative(QStringLiteral("COMMIT"));
}

// A database kept between runs in a folder of its own, with what its operations report to.
struct KeptDatabase {
    Database db;
    QTextStream err{stderr};
    ConsolePrompter prompter{err};
    SilentProgress progress;
    FixedScreenInfo screen;
    std::unique_ptr<DbOperate> op;

    // Opens the database in `folder`, making it first when missing, and brings it up to
    // date; true when it was made now and has still to be filled.
    bool OpenKept(const QString& folder)
    {
        QDir().mkpath(folder);
        const QString path = QDir(folder).filePath(QStringLiteral("DATA.mdb"));
        const bool fresh = !QFileInfo::exists(path);
        ShippedDatabase::CreateIfMissing(path);
        op = std::make_unique<DbOperate>(db, prompter, path);
        op->OpenDatabase();
        SchemaUpgrade::Run(*op);
        return fresh;
    }
};

} // namespace kestrio::bench
