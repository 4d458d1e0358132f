#include "BackgroundCommands.h"

#include "BackgroundImages.h"
#include "PictureFile.h"
#include "app/WholeFile.h"
#include "seams/Prompter.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cmath>

namespace kestrio {

BackgroundCommands::ImportResult BackgroundCommands::ChooseAndImport(Prompter& prompter,
                                                                     const QString& applicationFolder,
                                                                     const QString& formatName)
{
    const QString chosen = prompter.OpenFile(ImportTitle(), ImportFilter());
    return ImportBackground(prompter, applicationFolder, formatName, chosen);
}

BackgroundCommands::ImportResult BackgroundCommands::ImportBackground(Prompter& prompter,
                                                                      const QString& applicationFolder,
                                                                      const QString& formatName,
                                                                      const QString& chosenFile)
{
    if (chosenFile.isEmpty() || !QFileInfo(chosenFile).isFile()) return ImportResult::NotChosen;
    QByteArray jpeg;
    QString error;
    if (!ReadBackground(chosenFile, &jpeg, &error)) {
        prompter.Message(error, Prompter::Icon::Warning);
        return ImportResult::Unreadable;
    }
    const QString target = BackgroundImages::BackgroundPath(applicationFolder, formatName);
    if (QFileInfo::exists(target) && !prompter.Ask(ReplaceQuestion())) return ImportResult::Declined;
    // The new picture replaces the old one in a single rename, so a failed write leaves the
    // old background in place rather than none at all.
    return StoreBackground(applicationFolder, formatName, jpeg) ? ImportResult::Imported : ImportResult::Failed;
}

bool BackgroundCommands::ReadBackground(const QString& file, QByteArray* jpeg, QString* error)
{
    static const QList<QByteArray> accepted = {"jpeg", "png", "bmp", "tiff"};
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    const QByteArray kind = reader.format();
    const QImage picture = accepted.contains(kind) ? reader.read() : QImage();
    bool read = !picture.isNull();
    if (read && kind == "jpeg") {
        QFile source(file); // kept byte for byte: no second loss of quality
        read = source.open(QIODevice::ReadOnly);
        if (read) *jpeg = source.readAll();
    } else if (read) {
        read = PictureFile::EncodeJpeg(picture, 90, jpeg);
    }
    if (!read) *error = UnreadableMessage(file);
    return read;
}

bool BackgroundCommands::StoreBackground(const QString& applicationFolder, const QString& formatName,
                                         const QByteArray& jpeg)
{
    return WriteWholeFile(BackgroundImages::BackgroundPath(applicationFolder, formatName), jpeg);
}

bool BackgroundCommands::RemoveBackground(const QString& applicationFolder, const QString& formatName)
{
    const QString path = BackgroundImages::BackgroundPath(applicationFolder, formatName);
    return QFileInfo::exists(path) && QFile::remove(path);
}

bool BackgroundCommands::ClearBackground(Prompter& prompter, const QString& applicationFolder,
                                         const QString& formatName)
{
    if (!prompter.Ask(ClearQuestion())) return false;
    const QString path = BackgroundImages::BackgroundPath(applicationFolder, formatName);
    if (!QFileInfo::exists(path)) return false;
    QFile::remove(path); // a file that cannot be deleted is passed over
    return true;
}

QImage BackgroundCommands::BackgroundPicture(const QString& applicationFolder, const QString& formatName)
{
    const QString path = BackgroundImages::BackgroundPath(applicationFolder, formatName);
    return QFileInfo(path).isFile() ? QImage(path) : QImage();
}

QString BackgroundCommands::PreviewPath(const QString& applicationFolder, const QString& pathOrFormat)
{
    if (!pathOrFormat.isEmpty() && QFileInfo(pathOrFormat).isFile()) return pathOrFormat;
    return BackgroundImages::BackgroundPath(applicationFolder, pathOrFormat);
}

BackgroundCommands::PreviewFit BackgroundCommands::FitPreview(QSize picture, double imageWidth,
                                                              double containerHeight)
{
    PreviewFit fit;
    fit.imageHeight = containerHeight;
    if (picture.isEmpty()) return fit;
    fit.hasPicture = true;
    // Multiplied before dividing, so that whole sizes give exact heights.
    fit.imageHeight = double(picture.height()) * imageWidth / picture.width();
    if (fit.imageHeight > containerHeight && containerHeight > 0) {
        fit.scrollEnabled = true;
        // Halves go to the even neighbour, as an integer property takes a fraction.
        fit.scrollMax = static_cast<int>(std::nearbyint(fit.imageHeight / containerHeight * 10));
    }
    return fit;
}

} // namespace kestrio
