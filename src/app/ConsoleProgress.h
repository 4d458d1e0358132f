#pragma once

#include "seams/Progress.h"

#include <QTextStream>

namespace kestrio {

// The progress indicator of the command line: a line "caption n/total" on the error stream
// at every twentieth of the work and at its end, so a long batch shows that it moves without
// flooding a log.
class ConsoleProgress final : public Progress {
public:
    explicit ConsoleProgress(QTextStream& err) : mErr(err) {}

    void ShowProgress(const QString& caption, int totalSteps, int start) override;
    void StepProgress(int steps, const QString& text = {}) override;
    void CloseProgress() override;

private:
    void Report();

    QTextStream& mErr;
    QString mCaption;
    int mTotal = 0;
    int mDone = 0;
    int mReported = -1;
};

} // namespace kestrio
