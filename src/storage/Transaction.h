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

    // False when the transaction could not begin (the database busy beyond the wait, damaged,
    // not open); Error() tells why. Work done without it would not be all or nothing.
    bool Active() const { return mActive; }
    // False when the changes were not kept; they are then undone and Error() tells why.
    bool Commit();
    const QString& Error() const { return mError; }

private:
    Database& mDb;
    QString mName;
    QString mError;
    bool mActive = false;
};

} // namespace kestrio
