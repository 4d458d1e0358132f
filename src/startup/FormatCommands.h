#pragma once

#include <QStringList>
#include <QTextStream>

namespace kestrio {

class AppContext;

// `kestrio export-format NAME FILE [--force]` and `kestrio import-format FILE [--as NAME]`.
// Nobody is there to answer on the command line, so neither command ever asks: an existing
// file is replaced only with --force, and a format name that is taken is an error unless
// --as names a free one. Messages go to `err`, exit code 1 for failures, 2 for wrong usage.
class FormatCommands {
public:
    static int ExportFormat(AppContext& app, const QStringList& args, QTextStream& out, QTextStream& err);
    static int ImportFormat(AppContext& app, const QStringList& args, QTextStream& out, QTextStream& err);

};

} // namespace kestrio
