#pragma once

#include <QDate>
#include <QDateTime>

namespace kestrio {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime Now() const = 0;
    QDate Today() const { return Now().date(); }
};

class SystemClock final : public Clock {
public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};

// A clock that reads whatever the test set.
class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime now) : mNow(std::move(now)) {}
    QDateTime Now() const override { return mNow; }
    void Set(const QDateTime& now) { mNow = now; }
    void Advance(qint64 msecs) { mNow = mNow.addMSecs(msecs); }

private:
    QDateTime mNow;
};

} // namespace kestrio
