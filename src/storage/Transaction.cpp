#include "Transaction.h"

#include <atomic>

namespace kestrio {

namespace {
std::atomic<int> gSavepointCounter{0};
}

Transaction::Transaction(Database& db) : mDb(db)
{
    mName = QStringLiteral("kx_sp") + QString::number(++gSavepointCounter);
    mActive = mDb.Begin(mName, &mError);
}

Transaction::~Transaction()
{
    if (mActive) mDb.Rollback(mName);
}

bool Transaction::Commit()
{
    if (!mActive) {
        if (mError.isEmpty()) mError = QStringLiteral("事务已结束");
        return false;
    }
    mActive = false;
    return mDb.Commit(mName, &mError);
}

} // namespace kestrio
