#pragma once

#include <QStringList>
#include <QTextStream>

namespace kestrio {

class AppContext;

// `kestrio backup [PATH]`: a consistent copy of the database, made by the engine, to PATH or
// into the folder Backup beside the database. `kestrio restore PATH`: puts such a copy in
// place of the database, keeping the replaced file in Backup; refused while the windows run
// on this data folder and for a file that is not the program's.
class BackupCommands {
public:
    static int Backup(AppContext& app, const QStringList& args, QTextStream& out, QTextStream& err);
    static int Restore(AppContext& app, const QStringList& args, QTextStream& out, QTextStream& err);
};

} // namespace kestrio
