#pragma once

#include "Database.h"

#include <QString>
#include <QStringList>

namespace kestrio {

// The database a new installation starts with: the tables Fmt, 历史, 默认 and 映射 and the
// single last-format row (Fmt = '').
class ShippedDatabase {
public:
    static QStringList Statements();
    // Creates the file when `path` names none. Returns false with `error` on failure; an
    // existing file, whatever it holds, is never touched. `created` tells whether this call
    // made the file.
    static bool CreateIfMissing(const QString& path, QString* error = nullptr, bool* created = nullptr,
                                const Database::CreateSteps& steps = {});
};

} // namespace kestrio
