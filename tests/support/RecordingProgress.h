#pragma once

#include "seams/Progress.h"

#include <QList>
#include <QStringList>

namespace kestrio::test {

// Records what the progress indicator was asked to show.
class RecordingProgress final : public Progress {
public:
    void ShowProgress(const QString& caption, int totalSteps, int) override
    {
        captions << caption;
        totals << totalSteps;
    }
    void StepProgress(int count, const QString&) override { steps += count; }
    void CloseProgress() override { ++closed; }

    QStringList captions;
    QList<int> totals;
    int steps = 0;
    int closed = 0;
};

} // namespace kestrio::test
