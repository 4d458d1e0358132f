#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>

namespace kestrio {

// Reads the parts of a zip package (an .xlsx workbook) through minizip, the zip library the
// workbook writer uses as well: a second zip library in the same program would lend its
// same-named functions to the writer.
//
// A part is read as a stream and checked while it is read: the sizes the package declares must
// be sane (no part over kLargestPart, none that grows more than kMostGrowth times its
// compressed size), the data must end exactly at the declared size and its CRC must match.
// What is wrong is said in Problem(), in words for the user.
class ZipPackage {
public:
    static constexpr qint64 kLargestPart = 256LL * 1024 * 1024;
    static constexpr qint64 kMostGrowth = 100;
    // XML text between two '<' longer than this is no cell a spreadsheet writes.
    static constexpr qint64 kLongestRun = 1024 * 1024;

    explicit ZipPackage(const QString& path);
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    bool IsOpen() const { return mZip != nullptr; }
    bool Has(const QString& name) const;
    // Part `name` (case ignored) as a sequential device, read from its start; null with
    // Problem() set when the part is refused, null with Problem() empty when there is none.
    // Only one part is open at a time: opening another ends the one before.
    std::unique_ptr<QIODevice> Open(const QString& name);
    // The whole part (for small parts); empty when there is none or it is refused.
    QByteArray Entry(const QString& name);
    QString Problem() const { return mProblem; }

    // Reads what is left of `part` (opened by Open) and checks its end and CRC; false with
    // Problem() set when the part is damaged.
    bool Finish(QIODevice& part);
    // What went wrong while `part` was read, empty when nothing did.
    static QString ProblemOf(const QIODevice& part);

private:
    static bool EndsWhole(const QString& path);

    void* mZip = nullptr;
    QString mProblem;
};

} // namespace kestrio
