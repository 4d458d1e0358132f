#include "SchemaUpgrade.h"

#include "DbOperate.h"
#include "Transaction.h"

#include "seams/Progress.h"

#include <QList>
#include <QStringList>
#include <QVariant>

namespace kestrio {

void SchemaUpgrade::Run(DbOperate& db, Progress* progress)
{
    if (!db.Db().IsOpen() || db.Db().IsDamaged()) return;
    // Programs starting at the same time upgrade one after the other, each seeing what the
    // other made.
    Transaction transaction(db.Db());
    if (!db.TableExists(QStringLiteral("参数")))
        db.ExecuteSql(QStringLiteral("CREATE TABLE 参数(ID AUTOINCREMENT(1,1),Var TEXT(255),Con MEMO)"));
    if (!db.TableExists(QStringLiteral("网站格式")))
        db.ExecuteSql(QStringLiteral("CREATE TABLE 网站格式(ID AUTOINCREMENT(1,1),Clas TEXT(255),Name TEXT(255),"
                                     "fPath TEXT(255),pPath TEXT(255),Dat DATE)"));
    // Each of these fails quietly when the column is missing or already of that type. Because
    // they run before the additions below, columns added as LONG become doubles on the next
    // start; readers take both alike.
    db.ExecuteSql(QStringLiteral("ALTER TABLE Fmt ALTER COLUMN Cash Double"));
    db.ExecuteSql(QStringLiteral("ALTER TABLE Fmt ALTER COLUMN RCtl Double"));
    db.ExecuteSql(QStringLiteral("ALTER TABLE Fmt ALTER COLUMN SumID Double"));
    db.ExecuteSql(QStringLiteral("ALTER TABLE Fmt ALTER COLUMN SumID1 Double"));
    db.AddColumn(QStringLiteral("Fmt"), QStringLiteral("SumID"), QStringLiteral("LONG"));
    db.AddColumn(QStringLiteral("Fmt"), QStringLiteral("SumID1"), QStringLiteral("LONG"));
    db.AddColumn(QStringLiteral("Fmt"), QStringLiteral("RCtl1"), QStringLiteral("LONG"));
    // The time each bill was stored; bills stored before the column existed keep it empty.
    if (db.TableExists(QStringLiteral("历史")) && !db.ColumnExists(QStringLiteral("历史"), SaveTimeColumn()))
        db.ExecuteSql(QStringLiteral("ALTER TABLE 历史 ADD ") + SaveTimeColumn() + QStringLiteral(" DATE"));
    CreateIndexes(db, progress);
    transaction.Commit();
}

// The columns every lookup goes by. A table that is missing simply gets no index. On 历史:
// a format's bills by number (the history grid, the next record number); a box's values in
// order, each run by bill (completion, the latest bill holding a value); a box's bills
// (the newest serial number).
void SchemaUpgrade::CreateIndexes(DbOperate& db, Progress* progress)
{
    static const char* const indexes[][3] = {
        {"kx_历史_Fmt_ID", "历史", "Fmt,ID"}, {"kx_历史_CID_Con_ID", "历史", "CID,Con,ID"},
        {"kx_历史_CID_ID", "历史", "CID,ID"}, {"kx_Fmt_Fmt", "Fmt", "Fmt"},
        {"kx_默认_Fmt", "默认", "Fmt"},       {"kx_映射_Fmt", "映射", "Fmt"},
    };
    // Its place is taken by (CID,Con,ID), which also keeps each value's bills in order.
    db.Db().ExecuteNative(QStringLiteral("DROP INDEX IF EXISTS kx_历史_CID_Con"));
    // One look at the indexes there are, at every start.
    const QStringList present =
        db.Db()
            .ScalarNative(QStringLiteral("SELECT group_concat(name, char(10)) FROM sqlite_master WHERE type='index'"))
            .toString()
            .split(QLatin1Char('\n'));
    QList<const char* const*> missing;
    for (const auto& index : indexes)
        if (!present.contains(QString::fromUtf8(index[0])) && db.TableExists(QString::fromUtf8(index[1])))
            missing << index;
    if (missing.isEmpty()) return;
    // Only a history of some size takes long enough to be worth a progress window.
    constexpr int kLargeHistory = 100000;
    const QVariant rows = db.Db().ScalarNative(QStringLiteral("SELECT COUNT(*) FROM (SELECT 1 FROM 历史 LIMIT %1)").arg(kLargeHistory));
    const bool large = rows.toInt() >= kLargeHistory;
    const bool showing = progress && large;
    if (showing) progress->ShowProgress(QStringLiteral("正在更新数据库索引……"), static_cast<int>(missing.size()), 0);
    for (const char* const* index : missing) {
        db.Db().ExecuteNative(QStringLiteral("CREATE INDEX IF NOT EXISTS ") + QString::fromUtf8(index[0]) +
                              QStringLiteral(" ON ") + QString::fromUtf8(index[1]) + QLatin1Char('(') +
                              QString::fromUtf8(index[2]) + QLatin1Char(')'));
        if (showing) progress->StepProgress(1);
    }
    if (showing) progress->CloseProgress();
}

} // namespace kestrio
