#pragma once

#include <QString>

namespace kestrio {

class DbOperate;

// Which names a new or renamed format may take. A format's background picture is kept
// under a file name made from its name, where characters a file name cannot hold become
// digits; two names that come to the same file name would share, and overwrite, one picture.
class FormatNameRule {
public:
    static constexpr int kLongestName = 60;

    // Why `name` cannot be given to a new format; empty when it can. Formats already stored
    // with such names stay as they are.
    static QString Refusal(DbOperate& db, const QString& name);
    static QString TooLongText();
    static QString SharedBackgroundText(const QString& otherFormat);
};

} // namespace kestrio
