#include "PictureFile.h"

#include "seams/Prompter.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

namespace kestrio {

namespace {

// JPEG has no alpha channel: transparent parts would turn black, so they are laid on white.
QImage OnWhite(const QImage& picture)
{
    if (!picture.hasAlphaChannel()) return picture;
    QImage opaque(picture.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, picture);
    return opaque;
}

} // namespace

QString PictureFile::JpegName(const QString& chosen)
{
    return chosen.endsWith(QLatin1String(".jpg")) ? chosen : chosen + QLatin1String(".jpg");
}

bool PictureFile::Write(const QImage& picture, const QString& path, int jpegQuality, QString* error)
{
    const bool png = path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
    QSaveFile file(path);
    if (picture.isNull()) {
        if (error) *error = QStringLiteral("没有图片");
        return false;
    }
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    QImageWriter writer(&file, png ? QByteArrayLiteral("png") : QByteArrayLiteral("jpeg"));
    if (!png) writer.setQuality(jpegQuality);
    const QImage opaque = png ? picture : OnWhite(picture);
    if (!writer.write(opaque)) {
        if (error) *error = writer.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

PictureFile::SaveResult PictureFile::SaveAsJpeg(Prompter& prompter, const QImage& picture)
{
    const QString chosen = prompter.SaveFile(SaveTitle(), SaveFilter(), QStringLiteral("*.jpg"));
    if (chosen.isEmpty()) return SaveResult::Cancelled;
    const QString path = JpegName(chosen);
    if (QFileInfo::exists(path) && !prompter.Ask(OverwriteQuestion(path))) return SaveResult::Declined;
    if (!Write(picture, path, 80)) {
        prompter.Message(SaveFailedMessage(), Prompter::Icon::Critical);
        return SaveResult::Failed;
    }
    return SaveResult::Saved;
}

} // namespace kestrio
