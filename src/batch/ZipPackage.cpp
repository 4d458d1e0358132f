#include "ZipPackage.h"

#include <QFile>

#include <minizip/unzip.h>

namespace kestrio {

namespace {
constexpr int kIgnoreCase = 2; // unzLocateFile's case sensitivity argument
constexpr qint64 kLargestPart = 512LL * 1024 * 1024;
} // namespace

ZipPackage::ZipPackage(const QString& path) : mZip(unzOpen64(QFile::encodeName(path).constData())) {}

ZipPackage::~ZipPackage()
{
    if (mZip) unzClose(mZip);
}

QByteArray ZipPackage::Entry(const QString& name) const
{
    if (!mZip || unzLocateFile(mZip, name.toUtf8().constData(), kIgnoreCase) != UNZ_OK) return {};
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(mZip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return {};
    if (info.uncompressed_size > static_cast<ZPOS64_T>(kLargestPart)) return {};
    if (unzOpenCurrentFile(mZip) != UNZ_OK) return {};
    QByteArray bytes(static_cast<qsizetype>(info.uncompressed_size), Qt::Uninitialized);
    qsizetype read = 0;
    while (read < bytes.size()) {
        const int got = unzReadCurrentFile(mZip, bytes.data() + read, static_cast<unsigned>(bytes.size() - read));
        if (got <= 0) break;
        read += got;
    }
    unzCloseCurrentFile(mZip);
    bytes.truncate(read);
    return bytes;
}

} // namespace kestrio
