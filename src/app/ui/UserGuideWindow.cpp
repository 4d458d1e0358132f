#include "app/ui/UserGuideWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace kestrio {

namespace {

// Pictures wider than this (pixels) are shown narrower, so the text needs no side scrolling.
constexpr int kPictureWidth = 820;

void FitPictures(QTextDocument& document, const QDir& folder)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat picture = fragment.charFormat().toImageFormat();
            const QSize size = QImage(folder.filePath(picture.name())).size();
            if (size.width() <= kPictureWidth) continue;
            picture.setWidth(kPictureWidth);
            picture.setHeight(static_cast<double>(size.height()) * kPictureWidth / size.width());
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(picture);
        }
    }
}

} // namespace

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
    FitPictures(*mBrowser->document(), QFileInfo(guidePath).dir());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(mBrowser);
    resize(900, 700);
}

} // namespace kestrio
