#pragma once

#include <QString>

namespace kestrio {

// Where a format's background image lives: <application folder>/<safe name>.jpg. A format
// has a background exactly when that file exists; the database records nothing of it.
class BackgroundImages {
public:
    // The format name with the nine characters a file name cannot hold replaced by digits, in
    // this order: * ? < > / \ : | " → 0 1 2 3 4 5 6 7 8.
    static QString SafeName(const QString& formatName);
    static QString BackgroundPath(const QString& applicationFolder, const QString& formatName);
    static bool HasBackground(const QString& applicationFolder, const QString& formatName);
    // Copies the background of one format to another (save-as, export, import). Nothing
    // happens when the source has none; an existing target is replaced. False on failure.
    static bool CopyBackground(const QString& fromPath, const QString& toPath);
};

} // namespace kestrio
