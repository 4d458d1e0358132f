#pragma once

#include <QString>

namespace kestrio {

class DbOperate;

// Brings a database of any earlier edition up to date. Runs at every start, before anything
// else reads the database; every step is harmless when already done.
class SchemaUpgrade {
public:
    static void Run(DbOperate& db);

    // The column of 历史 that holds when each bill was stored (yyyy-MM-dd hh:mm:ss).
    static QString SaveTimeColumn() { return QStringLiteral("SaveTime"); }

private:
    static void CreateIndexes(DbOperate& db);
};

} // namespace kestrio
