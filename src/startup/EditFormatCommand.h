#pragma once

#include <QStringList>
#include <QTextStream>

namespace kestrio {

class AppContext;

// `kestrio edit-format NAME [--page W,H] OPERATION...`: lays a format out without a window.
// The operations run in the order given on the open format (a new one when NAME is free) and
// the format is saved only when every one of them succeeded; then its element table is
// printed as show-format prints it. Distances are millimetres.
class EditFormatCommand {
public:
    static int Run(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err);
    static QString Usage();
};

} // namespace kestrio
