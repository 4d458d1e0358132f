#include "PictureFile.h"

#include "app/WholeFile.h"
#include "seams/Prompter.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>

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

bool PictureFile::EncodeJpeg(const QImage& picture, int quality, QByteArray* bytes)
{
    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QByteArrayLiteral("jpeg"));
    writer.setQuality(quality);
    return !picture.isNull() && writer.write(OnWhite(picture));
}

QString PictureFile::JpegName(const QString& chosen)
{
    return chosen.endsWith(QLatin1String(".jpg")) ? chosen : chosen + QLatin1String(".jpg");
}

bool PictureFile::Write(const QImage& picture, const QString& path, int jpegQuality, QString* error)
{
    const bool png = path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, png ? QByteArrayLiteral("png") : QByteArrayLiteral("jpeg"));
    if (!png) writer.setQuality(jpegQuality);
    if (picture.isNull() || !writer.write(png ? picture : OnWhite(picture))) {
        if (error) *error = picture.isNull() ? QStringLiteral("没有图片") : writer.errorString();
        return false;
    }
    return WriteWholeFile(path, bytes, error);
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
