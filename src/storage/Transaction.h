#pragma once

#include "Database.h"

#include <QString>

namespace kestrio {

// All or nothing for work that writes several rows: the changes since construction are kept
// by Commit() and undone when the object goes away without it. Transactions nest.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool Commit();

private:
    Database& mDb;
    QString mName;
    bool mActive = false;
};

} // namespace kestrio
