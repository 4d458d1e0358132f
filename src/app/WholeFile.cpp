#include "WholeFile.h"

#include "OutputFile.h"

namespace kestrio {

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* error)
{
    return OutputFile::WriteWhole(path, bytes, error);
}

} // namespace kestrio
