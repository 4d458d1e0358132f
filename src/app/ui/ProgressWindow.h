#pragma once

#include "app/ProgressMeter.h"
#include "seams/Progress.h"

#include <QImage>
#include <QWidget>

class QLabel;

namespace kestrio {

class Clock;

// The progress indicator "进度指示器": caption `LBL`, share done `Percent`, step count `L1`,
// times `L2` and the bar `Pic`. The numbers come from ProgressMeter; this window only shows
// them. It never blocks the work that drives it and lets pending window events run after
// every drawing, so the other windows keep repainting during long work.
class ProgressWindow final : public QWidget, public Progress {
    Q_OBJECT

public:
    explicit ProgressWindow(const Clock& clock, QWidget* parent = nullptr);

    void ShowProgress(const QString& caption, int totalSteps, int start) override;
    void StepProgress(int steps, const QString& text = {}) override;
    void CloseProgress() override;

    const ProgressMeter& Meter() const { return mMeter; }
    // What the bar area shows now.
    QImage BarImage() const { return mBar; }

    static QString Caption() { return QStringLiteral("进度指示器"); }

private:
    void BuildControls();
    void ShowView(const ProgressMeter::View& view);
    void DrawBar(double share);
    void CentreOnScreen();

    ProgressMeter mMeter;
    QLabel* mCaption = nullptr;
    QLabel* mPercent = nullptr;
    QLabel* mCount = nullptr;
    QLabel* mTimes = nullptr;
    QLabel* mPic = nullptr;
    QImage mBar;
};

} // namespace kestrio
