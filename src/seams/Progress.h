#pragma once

#include <QString>

namespace kestrio {

// The progress indicator of long work. A single indicator exists: ShowProgress while it is
// shown re-captions and restarts it.
class Progress {
public:
    virtual ~Progress() = default;
    // A negative start keeps the current position.
    virtual void ShowProgress(const QString& caption, int totalSteps, int start) = 0;
    // text "pages" (any case) also shows times and the step count; any other non-empty text
    // replaces the caption.
    virtual void StepProgress(int steps, const QString& text = {}) = 0;
    virtual void CloseProgress() = 0;
};

// For work that runs without anyone watching (command line, benchmarks).
class SilentProgress final : public Progress {
public:
    void ShowProgress(const QString&, int, int) override {}
    void StepProgress(int, const QString&) override {}
    void CloseProgress() override {}
};

} // namespace kestrio
