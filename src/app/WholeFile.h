#pragma once

#include <QByteArray>
#include <QString>

namespace kestrio {

// Writes `bytes` as the whole of the file at `path`, under a temporary name renamed into
// place, so that a failure never leaves half a file under the name. `error` tells why not.
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace kestrio
