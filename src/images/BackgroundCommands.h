#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace kestrio {

class Prompter;

// What the user does with a format's background image: import (or replace) it from a JPEG
// file, clear it, and how a list's preview fits a picture into its frame. The canvas side
// (clearing its picture, loading the new file, redrawing) is the caller's, after the answer.
class BackgroundCommands {
public:
    enum class ImportResult {
        NotChosen, // no file, not a ".jpg" name, or no such file: nothing was said or done
        Declined,  // the format has a background and the user kept it
        Imported,  // the file is the format's background now
        Failed     // the copy failed; the background is as it was
    };

    // The open-file dialog of the import, then ImportBackground with the chosen file.
    static ImportResult ChooseAndImport(Prompter& prompter, const QString& applicationFolder,
                                        const QString& formatName);
    // Copies `chosenFile` to the format's background path. The name's last four characters,
    // lower-cased, must be ".jpg"; an existing background is replaced only after the user
    // agreed. The copy is written beside the target and renamed into place.
    static ImportResult ImportBackground(Prompter& prompter, const QString& applicationFolder,
                                         const QString& formatName, const QString& chosenFile);

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
    static QString ImportFilter() { return QStringLiteral("JPEG格式(*.jpg)"); }
    static QString ReplaceQuestion() { return QStringLiteral("当前格式已有底图，是否要替换？"); }
    static QString ClearQuestion() { return QStringLiteral("您确定要清除背景图？"); }
    static QString NoPictureLabel() { return QStringLiteral("此格式暂无图片！"); }
};

} // namespace kestrio
