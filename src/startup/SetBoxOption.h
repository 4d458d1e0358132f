#pragma once

#include <QStringList>

namespace kestrio {

class FormatDocument;

// `--set-box LABEL key=value...` of `kestrio edit-format`: the property window's fields given
// on the command line, with the window's rules and refusals.
class SetBoxOption {
public:
    // Applies one --set-box to the box labelled `label` (or with that ID); false with the
    // reason in `error`, the document unchanged.
    static bool Apply(FormatDocument& document, const QString& label, const QStringList& settings, QString* error);
};

} // namespace kestrio
