#pragma once

#include <QImage>
#include <QString>

namespace kestrio {

class Prompter;

// Saving a picture shown on screen (the statistics chart) as a file: the JPEG name rule,
// the overwrite question and a write that never leaves a broken file under the name.
class PictureFile {
public:
    enum class SaveResult { Cancelled, Declined, Saved, Failed };

    // The chosen name with ".jpg" appended unless it already ends in exactly ".jpg"
    // (so "chart.JPG" becomes "chart.JPG.jpg").
    static QString JpegName(const QString& chosen);

    // The picture as JPEG bytes of `quality`, transparent parts laid on white; false when it
    // cannot be encoded (or is null).
    static bool EncodeJpeg(const QImage& picture, int quality, QByteArray* bytes);

    // Writes the picture as PNG when the path ends in ".png" (any case), else as JPEG of
    // `jpegQuality`. The file is written under a temporary name and renamed into place.
    static bool Write(const QImage& picture, const QString& path, int jpegQuality = 80, QString* error = nullptr);

    // The save dialog, the ".jpg" rule, "文件“…”已存在，是否覆盖？", then a JPEG of quality
    // 80; "保存图片出错！" on any failure.
    static SaveResult SaveAsJpeg(Prompter& prompter, const QImage& picture);

    static QString SaveTitle() { return QStringLiteral("保存图片"); }
    static QString SaveFilter() { return QStringLiteral("JPEG图片 (*.jpg)"); }
    static QString OverwriteQuestion(const QString& name)
    {
        return QStringLiteral("文件“") + name + QStringLiteral("”已存在，是否覆盖？");
    }
    static QString SaveFailedMessage() { return QStringLiteral("保存图片出错！"); }
};

} // namespace kestrio
