#include "ConsoleProgress.h"

#include <algorithm>

namespace kestrio {

void ConsoleProgress::ShowProgress(const QString& caption, int totalSteps, int start)
{
    mCaption = caption;
    mTotal = std::max(totalSteps, 0);
    if (start >= 0) mDone = start;
    mReported = -1;
}

void ConsoleProgress::StepProgress(int steps, const QString& text)
{
    if (!text.isEmpty() && text.compare(QLatin1String("pages"), Qt::CaseInsensitive) != 0) mCaption = text;
    mDone += steps;
    const int stride = std::max(mTotal / 20, 1);
    if (mDone / stride != mReported / stride || mDone == mTotal) Report();
}

void ConsoleProgress::CloseProgress()
{
    if (mReported != mDone && mTotal > 0) Report();
    mTotal = 0;
    mDone = 0;
}

void ConsoleProgress::Report()
{
    mErr << mCaption << ' ' << mDone << '/' << mTotal << Qt::endl;
    mReported = mDone;
}

} // namespace kestrio
