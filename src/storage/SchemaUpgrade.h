#pragma once

namespace kestrio {

class DbOperate;

// Brings a database of any earlier edition up to date. Runs at every start, before anything
// else reads the database; every step is harmless when already done.
class SchemaUpgrade {
public:
    static void Run(DbOperate& db);

private:
    static void CreateIndexes(DbOperate& db);
};

} // namespace kestrio
