#pragma once

#include <QByteArray>
#include <QString>

namespace kestrio {

// Reads the parts of a zip package (an .xlsx workbook) through minizip, the zip library the
// workbook writer uses as well: a second zip library in the same program would lend its
// same-named functions to the writer.
class ZipPackage {
public:
    explicit ZipPackage(const QString& path);
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    bool IsOpen() const { return mZip != nullptr; }
    // The whole part named `name` (case ignored); empty when there is none.
    QByteArray Entry(const QString& name) const;

private:
    void* mZip = nullptr;
};

} // namespace kestrio
