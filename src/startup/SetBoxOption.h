#pragma once

#include <QStringList>
#include <QTextStream>

namespace kestrio {

class AppContext;
class FormatDocument;

// `kestrio edit-format NAME --set-box LABEL key=value... [--set-box ...]`: the property
// window's fields given on the command line, with the window's rules and refusals. The
// format is loaded, every --set-box applied, and the format saved in one transaction only
// when all of them were accepted.
class SetBoxOption {
public:
    // Applies one --set-box to the box labelled `label` (or with that ID); false with the
    // reason in `error`, the document unchanged.
    static bool Apply(FormatDocument& document, const QString& label, const QStringList& settings, QString* error);
    // The whole command; the caller prints the element table after a success.
    static int EditFormat(AppContext& app, const QStringList& arguments, QTextStream& err);
};

} // namespace kestrio
