#include "ZipPackage.h"

#include <QFile>

#include <minizip/unzip.h>

namespace kestrio {

namespace {

constexpr int kIgnoreCase = 2; // unzLocateFile's case sensitivity argument
constexpr int kStored = 0;
constexpr int kDeflated = 8;
constexpr qint64 kSmallPart = 64 * 1024; // a part this small may grow by any factor

// One open part of the package: what minizip inflates, checked as it comes.
class PartDevice final : public QIODevice {
public:
    PartDevice(void* zip, QString name, qint64 declared) : mZip(zip), mName(std::move(name)), mDeclared(declared)
    {
        open(QIODevice::ReadOnly);
    }
    ~PartDevice() override
    {
        if (!mClosed) unzCloseCurrentFile(mZip);
    }
    bool isSequential() const override { return true; }
    bool atEnd() const override { return mEnded && QIODevice::bytesAvailable() == 0; }
    qint64 bytesAvailable() const override { return QIODevice::bytesAvailable() + (mEnded ? 0 : 1); }

    QString problem;

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (mEnded || maxSize <= 0) return mEnded ? -1 : 0;
        const int got = unzReadCurrentFile(mZip, data, static_cast<unsigned>(std::min<qint64>(maxSize, 1 << 20)));
        if (got < 0) return Fail(QStringLiteral("压缩包中的“%1”数据已损坏").arg(mName));
        if (got == 0) {
            if (mRead != mDeclared)
                return Fail(QStringLiteral("压缩包中的“%1”不完整：应有%2字节，只读到%3字节").arg(mName).arg(mDeclared).arg(mRead));
            mClosed = true;
            if (unzCloseCurrentFile(mZip) != UNZ_OK) return Fail(QStringLiteral("压缩包中的“%1”校验码不符").arg(mName));
            mEnded = true;
            return -1;
        }
        mRead += got;
        for (int i = 0; i < got; ++i) {
            if (data[i] == '<') mRun = 0;
            else if (++mRun > ZipPackage::kLongestRun)
                return Fail(QStringLiteral("“%1”中有一段超过%2字节的文字，不是表格程序写出的内容")
                                .arg(mName).arg(ZipPackage::kLongestRun));
        }
        return got;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 Fail(const QString& what)
    {
        if (problem.isEmpty()) problem = what;
        mEnded = true;
        return -1;
    }

    void* mZip;
    QString mName;
    qint64 mDeclared;
    qint64 mRead = 0;
    qint64 mRun = 0;
    bool mEnded = false;
    bool mClosed = false;
};

} // namespace

ZipPackage::ZipPackage(const QString& path) : mZip(unzOpen64(QFile::encodeName(path).constData()))
{
    if (mZip && !EndsWhole(path)) {
        unzClose(mZip);
        mZip = nullptr;
    }
}

bool ZipPackage::EndsWhole(const QString& path)
{
    // The end record is the last thing in the file: its comment runs to the last byte, and the
    // central directory ends where it begins. minizip reads a file cut inside it as whole.
    constexpr qint64 kEndRecord = 22;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < kEndRecord) return false;
    const qint64 from = std::max<qint64>(0, file.size() - kEndRecord - 0xFFFF);
    if (!file.seek(from)) return false;
    const QByteArray tail = file.readAll();
    const auto u16 = [&](qsizetype at) { return static_cast<quint32>(static_cast<uchar>(tail[at])) | static_cast<quint32>(static_cast<uchar>(tail[at + 1])) << 8; };
    const auto u32 = [&](qsizetype at) { return u16(at) | u16(at + 2) << 16; };
    for (qsizetype at = tail.size() - kEndRecord; at >= 0; --at) {
        if (tail[at] != 'P' || tail[at + 1] != 'K' || tail[at + 2] != 5 || tail[at + 3] != 6) continue;
        if (at + kEndRecord + u16(at + 20) != tail.size()) continue;
        const quint32 size = u32(at + 12);
        const quint32 offset = u32(at + 16);
        if (size == 0xFFFFFFFF || offset == 0xFFFFFFFF) return true; // zip64: minizip checks its own record
        return static_cast<qint64>(offset) + size <= from + at;
    }
    return false;
}

ZipPackage::~ZipPackage()
{
    if (mZip) unzClose(mZip);
}

bool ZipPackage::Has(const QString& name) const
{
    return mZip && unzLocateFile(mZip, name.toUtf8().constData(), kIgnoreCase) == UNZ_OK;
}

std::unique_ptr<QIODevice> ZipPackage::Open(const QString& name)
{
    mProblem.clear();
    if (!Has(name)) return nullptr;
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(mZip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        mProblem = QStringLiteral("压缩包中“%1”的目录记录已损坏").arg(name);
        return nullptr;
    }
    const auto packed = static_cast<qint64>(std::min<ZPOS64_T>(info.compressed_size, kLargestPart * 2));
    const auto size = static_cast<qint64>(std::min<ZPOS64_T>(info.uncompressed_size, kLargestPart * 2));
    if (info.compression_method != kStored && info.compression_method != kDeflated) {
        mProblem = QStringLiteral("压缩包中的“%1”使用了不支持的压缩方式（%2）").arg(name).arg(info.compression_method);
    } else if (size > kLargestPart) {
        mProblem = QStringLiteral("压缩包中的“%1”解压后超过%2MB，超出了允许的大小").arg(name).arg(kLargestPart >> 20);
    } else if (size > kSmallPart && size > packed * kMostGrowth) {
        mProblem = QStringLiteral("压缩包中的“%1”解压后是压缩大小的%2倍以上（超过%3倍），可能是压缩炸弹")
                       .arg(name).arg(packed > 0 ? size / packed : size).arg(kMostGrowth);
    } else if (info.compression_method == kStored && size != packed) {
        mProblem = QStringLiteral("压缩包中的“%1”记录的大小前后不一").arg(name);
    } else if (unzOpenCurrentFile(mZip) != UNZ_OK) {
        mProblem = QStringLiteral("压缩包中的“%1”已损坏，无法解压").arg(name);
    }
    if (!mProblem.isEmpty()) return nullptr;
    return std::make_unique<PartDevice>(mZip, name, size);
}

QByteArray ZipPackage::Entry(const QString& name)
{
    std::unique_ptr<QIODevice> part = Open(name);
    if (!part) return {};
    QByteArray bytes = part->readAll();
    if (!Finish(*part)) return {};
    return bytes;
}

bool ZipPackage::Finish(QIODevice& part)
{
    char sink[16384];
    while (part.read(sink, sizeof sink) > 0) {}
    mProblem = ProblemOf(part);
    return mProblem.isEmpty();
}

QString ZipPackage::ProblemOf(const QIODevice& part)
{
    const auto* device = dynamic_cast<const PartDevice*>(&part);
    return device ? device->problem : QString();
}

} // namespace kestrio
