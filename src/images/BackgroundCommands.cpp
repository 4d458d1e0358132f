#include "BackgroundCommands.h"

#include "BackgroundImages.h"
#include "seams/Prompter.h"

#include <QFile>
#include <QFileInfo>

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
    if (chosenFile.isEmpty() || chosenFile.right(4).toLower() != QStringLiteral(".jpg") ||
        !QFileInfo(chosenFile).isFile())
        return ImportResult::NotChosen;
    const QString target = BackgroundImages::BackgroundPath(applicationFolder, formatName);
    if (QFileInfo::exists(target) && !prompter.Ask(ReplaceQuestion())) return ImportResult::Declined;
    // The new picture replaces the old one in a single rename, so a failed copy leaves the
    // old background in place rather than none at all.
    return BackgroundImages::CopyBackground(chosenFile, target) ? ImportResult::Imported : ImportResult::Failed;
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
