#include "Transaction.h"

#include <atomic>

namespace kestrio {

namespace {
std::atomic<int> gSavepointCounter{0};
}

Transaction::Transaction(Database& db) : mDb(db)
{
    mName = QStringLiteral("kx_sp") + QString::number(++gSavepointCounter);
    mActive = mDb.Begin(mName);
}

Transaction::~Transaction()
{
    if (mActive) mDb.Rollback(mName);
}

bool Transaction::Commit()
{
    if (!mActive) return false;
    mActive = false;
    return mDb.Commit(mName);
}

} // namespace kestrio
