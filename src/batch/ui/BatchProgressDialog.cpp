#include "BatchProgressDialog.h"

#include <QCoreApplication>

namespace kestrio {

BatchProgressDialog::~BatchProgressDialog()
{
    delete mDialog;
}

void BatchProgressDialog::ShowProgress(const QString& caption, int totalSteps, int start)
{
    if (!mDialog) {
        mDialog = new QProgressDialog(mOwner ? mOwner->window() : nullptr);
        mDialog->setObjectName(QStringLiteral("BatchProgress"));
        mDialog->setWindowTitle(QStringLiteral("打印所有单据"));
        mDialog->setCancelButtonText(QStringLiteral("取消"));
        mDialog->setWindowModality(Qt::WindowModal);
        mDialog->setAutoClose(false);
        mDialog->setAutoReset(false);
        mDialog->setMinimumDuration(0);
    }
    mDialog->setLabelText(caption);
    mDialog->setMaximum(std::max(totalSteps, 1));
    if (start >= 0) mDialog->setValue(start);
    mDialog->show();
    QCoreApplication::processEvents();
}

void BatchProgressDialog::StepProgress(int steps, const QString& text)
{
    if (!mDialog) return;
    if (!text.isEmpty() && text.compare(QLatin1String("pages"), Qt::CaseInsensitive) != 0) mDialog->setLabelText(text);
    mDialog->setValue(std::min(mDialog->value() + steps, mDialog->maximum()));
    mDialog->setLabelText(mDialog->labelText().section(u'（', 0, 0) +
                          QStringLiteral("（%1/%2）").arg(mDialog->value()).arg(mDialog->maximum()));
    // The cancel button is read between bills.
    QCoreApplication::processEvents();
}

void BatchProgressDialog::CloseProgress()
{
    if (mDialog) mDialog->hide();
}

} // namespace kestrio
