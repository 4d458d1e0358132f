#pragma once

#include "seams/Progress.h"

#include <QProgressDialog>

namespace kestrio {

// The progress of a batch print with a "取消" button: the job asks Cancelled() between
// bills, so a cancel never cuts a bill in half.
class BatchProgressDialog final : public QProgressDialog, public Progress {
    Q_OBJECT

public:
    explicit BatchProgressDialog(QWidget* parent = nullptr);

    void ShowProgress(const QString& caption, int totalSteps, int start) override;
    void StepProgress(int steps, const QString& text = {}) override;
    void CloseProgress() override;

    bool Cancelled() const { return wasCanceled(); }
};

} // namespace kestrio
