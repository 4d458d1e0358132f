#include "ProgressMeter.h"

#include "seams/Clock.h"

#include <cmath>

namespace kestrio {

ProgressMeter::View ProgressMeter::Show(const QString& caption, int totalSteps, int start)
{
    mView = View();
    mView.caption = caption;
    mTotal = totalSteps;
    if (start >= 0) mPosition = start;
    mView.barShare = mTotal < 1 ? 0.0 : qBound(0.0, static_cast<double>(mPosition) / mTotal, 1.0);
    mStart = mClock.Now();
    return mView;
}

ProgressMeter::View ProgressMeter::Step(int steps, const QString& text)
{
    mPosition += steps;
    const int total = qMax(1, mTotal);
    // The share is counted in whole thousandths, cut, not rounded.
    const qint64 thousandths = static_cast<qint64>(mPosition) * 1000 / total;
    const double fraction = thousandths / 1000.0;
    mView.percent = QString::number(thousandths / 10);
    if (thousandths % 10 != 0) mView.percent += QLatin1Char('.') + QString::number(std::abs(thousandths % 10));
    mView.percent += QLatin1Char('%');

    if (text.compare(QLatin1String("pages"), Qt::CaseInsensitive) == 0) {
        if (fraction >= 0.001) {
            const double elapsed = mStart.msecsTo(mClock.Now()) / 1000.0;
            const qint64 estimated = static_cast<qint64>(std::nearbyint(elapsed / fraction));
            const qint64 spent = static_cast<qint64>(std::nearbyint(elapsed));
            mView.times = Duration(spent) + QLatin1Char('/') + Duration(qMax<qint64>(0, estimated - spent)) +
                          QLatin1Char('/') + Duration(estimated);
            mView.count = QStringLiteral("(%1/%2)").arg(mPosition).arg(total);
        }
    } else if (!text.isEmpty()) {
        mView.caption = text;
    }
    mView.barShare = qBound(0.0, static_cast<double>(mPosition) / total, 1.0);
    return mView;
}

QString ProgressMeter::Duration(qint64 seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace kestrio
