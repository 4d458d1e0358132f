#include "BatchProgressDialog.h"

#include <QCoreApplication>

namespace kestrio {

BatchProgressDialog::BatchProgressDialog(QWidget* parent) : QProgressDialog(parent)
{
    setObjectName(QStringLiteral("BatchProgress"));
    setWindowTitle(QStringLiteral("打印所有单据"));
    setCancelButtonText(QStringLiteral("取消"));
    setWindowModality(Qt::WindowModal);
    setMinimumDuration(0);
    setAutoClose(false);
    setAutoReset(false);
}

void BatchProgressDialog::ShowProgress(const QString& caption, int totalSteps, int start)
{
    setLabelText(caption);
    setMaximum(std::max(totalSteps, 1));
    if (start >= 0) setValue(start);
    show();
    QCoreApplication::processEvents();
}

void BatchProgressDialog::StepProgress(int steps, const QString& text)
{
    if (!text.isEmpty() && text.compare(QLatin1String("pages"), Qt::CaseInsensitive) != 0) setLabelText(text);
    setValue(std::min(value() + steps, maximum()));
    setLabelText(labelText().section(u'（', 0, 0) + QStringLiteral("（%1/%2）").arg(value()).arg(maximum()));
    // The cancel button is read between bills.
    QCoreApplication::processEvents();
}

void BatchProgressDialog::CloseProgress()
{
    hide();
}

} // namespace kestrio
