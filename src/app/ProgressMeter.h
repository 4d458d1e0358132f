#pragma once

#include <QDateTime>
#include <QString>

namespace kestrio {

class Clock;

// What the progress indicator shows, worked out without any window: the caption, the share
// done, and in "pages" mode the elapsed, remaining and total times and the step count.
class ProgressMeter {
public:
    struct View {
        QString caption;
        QString percent;   // label Percent, e.g. "33.3%"
        QString times;     // label L2: elapsed/remaining/total, e.g. "0:00:10/0:00:20/0:00:30"
        QString count;     // label L1: "(position/total)"
        double barShare = 0; // part of the bar that is filled, 0…1
    };

    explicit ProgressMeter(const Clock& clock) : mClock(clock) {}

    // A negative start keeps the current position.
    View Show(const QString& caption, int totalSteps, int start);
    View Step(int steps, const QString& text);

    const View& Current() const { return mView; }
    int Position() const { return mPosition; }
    int Total() const { return mTotal; }

    // h:mm:ss
    static QString Duration(qint64 seconds);

private:
    const Clock& mClock;
    View mView;
    int mTotal = 1;
    int mPosition = 0;
    QDateTime mStart;
};

} // namespace kestrio
