#pragma once

#include <QString>

namespace kestrio {

// Where the program keeps its data: DATA.mdb, Temp/ and the background images.
class AppPaths {
public:
    AppPaths() = default;
    explicit AppPaths(QString folder) : mFolder(std::move(folder)) {}

    // `--data-dir` when given; else the executable's folder when it already holds DATA.mdb or
    // can be written and is not a system program folder; else the per-user data folder. The
    // folder is made when missing.
    static AppPaths Resolve(const QString& dataDirOption, const QString& executableFolder);
    // A folder the package manager installs programs into (/usr/bin and the like): the data
    // never goes there, not even when the administrator starts the program.
    static bool IsSystemProgramFolder(const QString& folder);

    QString Folder() const { return mFolder; }
    QString DatabasePath() const;
    QString TempFolder() const;
    // Makes Temp/ when it is missing; errors are ignored.
    void EnsureTempFolder() const;

private:
    QString mFolder;
};

} // namespace kestrio
