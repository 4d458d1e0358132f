#include "SchemaUpgrade.h"

#include "DbOperate.h"
#include "Transaction.h"

#include <QStringList>

namespace kestrio {

void SchemaUpgrade::Run(DbOperate& db)
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
    CreateIndexes(db);
    transaction.Commit();
}

// The columns every lookup goes by. A table that is missing simply gets no index. On 历史:
// a format's bills by number (the history grid, the next record number); a box's values in
// order, each run by bill (completion, the latest bill holding a value); a box's bills
// (the newest serial number).
void SchemaUpgrade::CreateIndexes(DbOperate& db)
{
    static const char* const indexes[][3] = {
        {"kx_历史_Fmt_ID", "历史", "Fmt,ID"}, {"kx_历史_CID_Con_ID", "历史", "CID,Con,ID"},
        {"kx_历史_CID_ID", "历史", "CID,ID"}, {"kx_Fmt_Fmt", "Fmt", "Fmt"},
        {"kx_默认_Fmt", "默认", "Fmt"},       {"kx_映射_Fmt", "映射", "Fmt"},
    };
    // Its place is taken by (CID,Con,ID), which also keeps each value's bills in order.
    db.Db().ExecuteNative(QStringLiteral("DROP INDEX IF EXISTS kx_历史_CID_Con"));
    for (const auto& index : indexes) {
        const QString table = QString::fromUtf8(index[1]);
        if (!db.TableExists(table)) continue;
        db.Db().ExecuteNative(QStringLiteral("CREATE INDEX IF NOT EXISTS ") + QString::fromUtf8(index[0]) +
                              QStringLiteral(" ON ") + table + QLatin1Char('(') + QString::fromUtf8(index[2]) +
                              QLatin1Char(')'));
    }
}

} // namespace kestrio
