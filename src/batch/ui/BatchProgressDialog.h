#pragma once

#include "seams/Progress.h"

#include <QPointer>
#include <QProgressDialog>

namespace kestrio {

// The progress of a batch print with a "取消" button: the job asks Cancelled() between
// bills, so a cancel never cuts a bill in half. The window is made when the job shows its
// progress, after the printer was chosen: a progress window made earlier would show itself
// over the printer dialog. It belongs to `owner`'s window.
class BatchProgressDialog final : public Progress {
public:
    explicit BatchProgressDialog(QWidget* owner) : mOwner(owner) {}
    ~BatchProgressDialog() override;

    void ShowProgress(const QString& caption, int totalSteps, int start) override;
    void StepProgress(int steps, const QString& text = {}) override;
    void CloseProgress() override;

    bool Cancelled() const { return mDialog && mDialog->wasCanceled(); }
    QProgressDialog* Dialog() const { return mDialog; }

private:
    QWidget* mOwner;
    QPointer<QProgressDialog> mDialog;
};

} // namespace kestrio
