#pragma once

#include <QString>

namespace kestrio {

class DbOperate;
class Progress;

// Brings a database of any earlier edition up to date. Runs at every start, before anything
// else reads the database; every step is harmless when already done.
class SchemaUpgrade {
public:
    // `progress` shows the building of indexes a large history lacks (the first start of a
    // new edition on an old database may take a while).
    static void Run(DbOperate& db, Progress* progress = nullptr);

    // The column of 历史 that holds when each bill was stored (yyyy-MM-dd hh:mm:ss).
    static QString SaveTimeColumn() { return QStringLiteral("SaveTime"); }

private:
    static void CreateIndexes(DbOperate& db, Progress* progress);
};

} // namespace kestrio
