#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace kestrio {

class Prompter;

// What the user does with a format's background image: import (or replace) it from a PNG,
// BMP, TIFF or JPEG file, clear it, and how a list's preview fits a picture into its frame. The canvas side
// (clearing its picture, loading the new file, redrawing) is the caller's, after the answer.
class BackgroundCommands {
public:
    enum class ImportResult {
        NotChosen,  // no file, or no such file: nothing was said or done
        Declined,   // the format has a background and the user kept it
        Imported,   // the file is the format's background now
        Failed,     // the write failed; the background is as it was
        Unreadable  // not a picture of the four formats; the user was told, nothing changed
    };

    // The open-file dialog of the import, then ImportBackground with the chosen file.
    static ImportResult ChooseAndImport(Prompter& prompter, const QString& applicationFolder,
                                        const QString& formatName);
    // Makes `chosenFile` the format's background (ReadBackground, then StoreBackground). A
    // file that cannot be read is refused with UnreadableMessage before anything is asked; an
    // existing background is replaced only after the user agreed.
    static ImportResult ImportBackground(Prompter& prompter, const QString& applicationFolder,
                                         const QString& formatName, const QString& chosenFile);

    // The bytes of the background file made from `file`, which is judged by its contents, not
    // its name: a JPEG is kept byte for byte, a PNG, BMP or TIFF is converted to JPEG (quality
    // 90, transparent parts on white). False with UnreadableMessage in `error` for anything
    // else, a damaged picture or a file that cannot be opened.
    static bool ReadBackground(const QString& file, QByteArray* jpeg, QString* error);
    // Writes `jpeg` as the format's background in one rename; false when it cannot.
    static bool StoreBackground(const QString& applicationFolder, const QString& formatName, const QByteArray& jpeg);
    // Deletes the format's background file without asking; false when it had none.
    static bool RemoveBackground(const QString& applicationFolder, const QString& formatName);

    // Asks whether to clear the background and deletes the file. True when the user agreed
    // and the format had a background: the canvas must then drop its picture and redraw.
    static bool ClearBackground(Prompter& prompter, const QString& applicationFolder, const QString& formatName);

    // The format's background as the canvas shows it; a null image when the format has none
    // (or it cannot be read), and the canvas keeps what it had.
    static QImage BackgroundPicture(const QString& applicationFolder, const QString& formatName);

    // A preview shows `pathOrFormat` when it names a file, else that format's background.
    static QString PreviewPath(const QString& applicationFolder, const QString& pathOrFormat);

    // How a preview image of fixed width shows a picture inside its container.
    struct PreviewFit {
        bool hasPicture = false;    // without one the scroll bar is left as it was
        double imageHeight = 0;     // the image's height (the container's when there is no picture)
        bool scrollEnabled = false; // the container's vertical scroll bar
        int scrollMax = 0;          // its maximum; the value is 0
        int smallChange = 1;
        int largeChange = 10;
    };
    // The image keeps `imageWidth` and the picture's aspect ratio. When it is taller than the
    // container the scroll bar is enabled with maximum = image height ÷ container height × 10,
    // rounded to the nearest integer (halves to even). An empty picture size means no picture.
    static PreviewFit FitPreview(QSize picture, double imageWidth, double containerHeight);

    static QString ImportTitle() { return QStringLiteral("更换背景图"); }
    static QString ImportFilter()
    {
        // The file dialog matches patterns whatever the case of the name.
        return QStringLiteral("图片文件 (*.png *.bmp *.tif *.tiff *.jpg *.jpeg)");
    }
    static QString UnreadableMessage(const QString& file)
    {
        return QStringLiteral("无法读取图片文件“") + file +
               QStringLiteral("”，背景图未更改。请选择 PNG、BMP、TIFF 或 JPEG 格式的图片。");
    }
    static QString ReplaceQuestion() { return QStringLiteral("当前格式已有底图，是否要替换？"); }
    static QString ClearQuestion() { return QStringLiteral("您确定要清除背景图？"); }
    static QString NoPictureLabel() { return QStringLiteral("此格式暂无图片！"); }
};

} // namespace kestrio
