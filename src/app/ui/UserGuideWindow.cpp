#include "app/ui/UserGuideWindow.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace kestrio {

UserGuideWindow::UserGuideWindow(const QString& guidePath, QWidget* parent)
    : QDialog(parent), mBrowser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("UserGuide"));
    setWindowTitle(QStringLiteral("使用说明"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    mBrowser->setObjectName(QStringLiteral("GuideText"));
    mBrowser->setOpenExternalLinks(true);
    // The pictures are found beside the guide, as its links name them.
    mBrowser->setSource(QUrl::fromLocalFile(guidePath), QTextDocument::MarkdownResource);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(mBrowser);
    resize(900, 700);
}

} // namespace kestrio
