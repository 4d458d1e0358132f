// Workbooks and CSV files larger, damaged or stranger than a spreadsheet program writes: each
// is refused quickly, with a message naming the file and what is wrong, in bounded memory.
#include "batch/CsvReader.h"
#include "batch/SheetReader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <minizip/zip.h>
#include <zlib.h>

using namespace kestrio;

namespace {

// Peak resident memory since the last reset, in KiB (Linux).
qint64 ResetPeak()
{
    QFile clear(u"/proc/self/clear_refs"_qs);
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

qint64 PeakKiB()
{
    QFile status(u"/proc/self/status"_qs);
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

QByteArray RawDeflate(const QByteArray& bytes)
{
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(static_cast<qsizetype>(deflateBound(&z, bytes.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.truncate(static_cast<qsizetype>(z.total_out));
    deflateEnd(&z);
    return out;
}

// How the worksheet part is put into the package.
enum class Packing { Plain, WrongCrc, EndsEarly, Bomb, LyingSize, CutShort };

constexpr const char* kWorkbook =
    R"(<workbook xmlns:r="r"><sheets><sheet name="表" r:id="rId1"/></sheets></workbook>)";
constexpr const char* kRelations = R"(<Relationships><Relationship Id="rId1" Target="worksheets/sheet1.xml"/></Relationships>)";
constexpr const char* kSharedStrings = R"(<sst><si><t>张三</t></si></sst>)";

struct Package {
    zipFile zip;
    void Add(const char* name, const QByteArray& bytes)
    {
        zipOpenNewFileInZip(zip, name, nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, Z_BEST_COMPRESSION);
        zipWriteInFileInZip(zip, bytes.constData(), static_cast<unsigned>(bytes.size()));
        zipCloseFileInZip(zip);
    }
    // Deflated data written as it is, with the sizes and CRC given.
    void AddRaw(const char* name, const QByteArray& deflated, qint64 size, uLong crc)
    {
        zipOpenNewFileInZip2(zip, name, nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, Z_BEST_COMPRESSION, 1);
        zipWriteInFileInZip(zip, deflated.constData(), static_cast<unsigned>(deflated.size()));
        zipCloseFileInZipRaw(zip, static_cast<uLong>(size), crc);
    }
};

uLong Crc(const QByteArray& bytes)
{
    return crc32(0, reinterpret_cast<const Bytef*>(bytes.constData()), static_cast<uInt>(bytes.size()));
}

QByteArray Sheet(const QByteArray& rows) { return "<worksheet><sheetData>" + rows + "</sheetData></worksheet>"; }

struct HostileTest : ::testing::Test {
    QString Path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    QString Workbook(const QString& name, const QByteArray& rows, Packing packing = Packing::Plain)
    {
        const QString path = Path(name);
        Package p{zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE)};
        p.Add("xl/workbook.xml", kWorkbook);
        p.Add("xl/_rels/workbook.xml.rels", kRelations);
        p.Add("xl/sharedStrings.xml", kSharedStrings);
        const QByteArray sheet = Sheet(rows);
        const char* part = "xl/worksheets/sheet1.xml";
        switch (packing) {
        case Packing::Plain:
        case Packing::CutShort: p.Add(part, sheet); break;
        case Packing::WrongCrc: p.AddRaw(part, RawDeflate(sheet), sheet.size(), Crc(sheet) ^ 1); break;
        case Packing::EndsEarly: p.AddRaw(part, RawDeflate(sheet), sheet.size() + 1, Crc(sheet)); break;
        case Packing::LyingSize: {
            // Declares the size of the sheet, holds 4 MiB more.
            const QByteArray held = sheet + QByteArray(4 << 20, ' ');
            p.AddRaw(part, RawDeflate(held), sheet.size(), Crc(held));
            break;
        }
        case Packing::Bomb: {
            // 64 MiB of one cell's text in about 64 KiB: written in pieces, never held whole.
            zipOpenNewFileInZip(p.zip, part, nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, Z_BEST_COMPRESSION);
            const QByteArray head = "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>";
            zipWriteInFileInZip(p.zip, head.constData(), static_cast<unsigned>(head.size()));
            const QByteArray piece(1 << 20, 'x');
            for (int i = 0; i < 64; ++i) zipWriteInFileInZip(p.zip, piece.constData(), static_cast<unsigned>(piece.size()));
            zipCloseFileInZip(p.zip);
            break;
        }
        }
        zipClose(p.zip, nullptr);
        if (packing == Packing::CutShort) {
            QFile file(path);
            EXPECT_TRUE(file.resize(file.size() - 1));
        }
        return path;
    }

    // The reader's answer for `path`: its error, or empty when the rows were read.
    QString Refusal(const QString& path, SourceRows& rows)
    {
        auto reader = SheetReader::ForPath(path);
        if (!reader) return u"no reader"_qs;
        const bool read = reader->Open(path) && reader->ReadRows(reader->SheetNames().value(0), 0, rows);
        return read ? QString() : reader->Error();
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(HostileTest, WorkbooksBeyondWhatASheetHoldsOrDamagedAreRefusedQuicklyInLittleMemory)
{
    const struct { const char* name; QByteArray rows; Packing packing; const char* says; } cases[] = {
        {"huge-row", R"(<row r="2147483647"><c r="A2147483647"><v>1</v></c></row>)", Packing::Plain, "行号“2147483647”无效"},
        {"row-past-limit", R"(<row r="1048577"><c><v>1</v></c></row>)", Packing::Plain, "行号“1048577”无效"},
        {"negative-row", R"(<row r="-3"><c><v>1</v></c></row>)", Packing::Plain, "行号“-3”无效"},
        {"huge-column", R"(<row r="1"><c r="ZZZZZZ1"><v>1</v></c></row>)", Packing::Plain, "第1行的单元格地址“ZZZZZZ1”无效"},
        {"column-past-limit", R"(<row r="1"><c r="XFE1"><v>1</v></c></row>)", Packing::Plain, "第1行的单元格地址“XFE1”无效"},
        {"wrapped-reference", R"(<row r="1"><c r="A4294967293"><v>1</v></c></row>)", Packing::Plain, "单元格地址“A4294967293”无效"},
        {"cell-of-another-row", R"(<row r="2"><c r="A3"><v>1</v></c></row>)", Packing::Plain, "“A3”不在这一行"},
        {"rows-backwards", R"(<row r="5"><c><v>1</v></c></row><row r="3"/>)", Packing::Plain, "顺序颠倒"},
        {"string-past-end", R"(<row r="1"><c r="A1" t="s"><v>1</v></c></row>)", Packing::Plain, "共享字符串“1”不存在"},
        {"negative-string", R"(<row r="1"><c r="A1" t="s"><v>-1</v></c></row>)", Packing::Plain, "共享字符串“-1”不存在"},
        {"wrapping-string", R"(<row r="1"><c r="A1" t="s"><v>4294967296</v></c></row>)", Packing::Plain, "共享字符串“4294967296”不存在"},
        {"broken-xml", R"(<row r="1"><c><v>1</v></row>)", Packing::Plain, "sheet1.xml”第1行不是有效的XML"},
        {"crc-mismatch", R"(<row r="1"><c><v>1</v></c></row>)", Packing::WrongCrc, "校验码不符"},
        {"ends-early", R"(<row r="1"><c><v>1</v></c></row>)", Packing::EndsEarly, "不完整"},
        {"lying-size", R"(<row r="1"><c><v>1</v></c></row>)", Packing::LyingSize, "校验码不符"},
        {"cut-one-byte-short", R"(<row r="1"><c><v>1</v></c></row>)", Packing::CutShort, "压缩包不完整"},
        {"bomb", {}, Packing::Bomb, "可能是压缩炸弹"},
    };
    for (const auto& c : cases) {
        const QString file = QLatin1String(c.name) + u".xlsx"_qs;
        const QString path = Workbook(file, c.rows, c.packing);
        ResetPeak();
        const qint64 before = PeakKiB();
        QElapsedTimer timer;
        timer.start();
        SourceRows rows;
        const QString error = Refusal(path, rows);
        EXPECT_LT(timer.elapsed(), 1000) << c.name;
        EXPECT_LT(PeakKiB() - before, 8 * 1024) << c.name;
        EXPECT_TRUE(error.startsWith(u"无法导入“"_qs + file + u"”："_qs)) << c.name << ": " << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.says))) << c.name << ": " << error.toStdString();
    }
}

TEST_F(HostileTest, ASparseSheetCostsWhatItHoldsNotWhatItsNumbersSay)
{
    const QString path = Workbook(u"far.xlsx"_qs, R"(<row r="3"><c r="B3" t="s"><v>0</v></c></row>)"
                                                  R"(<row r="1048576"><c r="XFD1048576"><v>7</v></c></row>)");
    ResetPeak();
    const qint64 before = PeakKiB();
    SourceRows rows;
    ASSERT_EQ(Refusal(path, rows), QString());
    EXPECT_LT(PeakKiB() - before, 4 * 1024);
    EXPECT_EQ(rows.RowCount(), SheetReader::kXlsxRows);
    EXPECT_EQ(rows.StoredRows(), 2);
    EXPECT_EQ(rows.Cell(3, 2), u"张三"_qs);
    EXPECT_EQ(rows.Cell(SheetReader::kXlsxRows, SheetReader::kXlsxColumns), u"7"_qs);
    EXPECT_EQ(rows.Cell(2, 1), QString());
}

TEST(CsvRulesTest, QuotesFollowTheRulesOrStopWithTheLine)
{
    const struct { QString text; QList<QStringList> rows; QString error; } cases[] = {
        {u"Joe 12\" Tools,200\r\nAnn,300\r\nBob 5\" Lee,400\r\nCat,500"_qs,
         {{u"Joe 12\" Tools"_qs, u"200"_qs}, {u"Ann"_qs, u"300"_qs}, {u"Bob 5\" Lee"_qs, u"400"_qs}, {u"Cat"_qs, u"500"_qs}}, {}},
        {u"1,\"\",\"\"\n"_qs, {{u"1"_qs, QString(), QString()}}, {}},
        {u"\"\"\n"_qs, {{QString()}}, {}},
        {u"\"a\r\nb\"\r\nc"_qs, {{u"a\r\nb"_qs}, {u"c"_qs}}, {}},
        {u"a,\"b\r\nc,d"_qs, {}, u"第1行：引号不成对"_qs},
        {u"a\r\nb,\"x\"y\r\n"_qs, {}, u"第2行：引号不成对"_qs},
        {u"a\nb\n\"c"_qs, {}, u"第3行：引号不成对"_qs},
        {u"\"a\nb\",1\n\"c\" ,2"_qs, {}, u"第3行：引号不成对"_qs},
        {u"x,"_qs + QString(CsvReader::kLongestField + 1, u'y'), {}, u"第1行：字段超过1048576个字符"_qs},
        {u"a\r\n\"b\r\nc\",1\r\nd\u0000e"_qs, {}, u"第4行：含有空字符，不是文本"_qs},
    };
    for (const auto& c : cases) {
        SourceRows rows;
        QString error;
        EXPECT_EQ(CsvReader::Parse(c.text, 0, rows, error), c.error.isEmpty()) << c.text.left(40).toStdString();
        EXPECT_EQ(error, c.error) << c.text.left(40).toStdString();
        if (c.error.isEmpty()) EXPECT_EQ(rows.ToList(), c.rows) << c.text.toStdString();
    }
}

TEST_F(HostileTest, CsvEncodingsAreFoundOrRefused)
{
    const QString text = u"户名,金额\r\n张三,100\r\n"_qs;
    const QList<QStringList> expected = {{u"户名"_qs, u"金额"_qs}, {u"张三"_qs, u"100"_qs}};
    QStringEncoder le(QStringEncoder::Utf16LE), be(QStringEncoder::Utf16BE);
    QStringEncoder leBom(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    QStringEncoder utf32(QStringEncoder::Utf32LE, QStringEncoder::Flag::WriteBom);
    const struct { const char* name; QByteArray bytes; QString says; } cases[] = {
        {"le.csv", le.encode(text), {}},
        {"be.csv", be.encode(text), {}},
        {"bom16.csv", leBom.encode(text), {}},
        {"bom32.csv", utf32.encode(text), {}},
        {"nul.csv", QByteArray("a,b\0\0\0c\r\n", 10), u"含有空字符"_qs},
    };
    for (const auto& c : cases) {
        QFile file(Path(QLatin1String(c.name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.bytes);
        file.close();
        SourceRows rows;
        const QString error = Refusal(file.fileName(), rows);
        if (c.says.isEmpty()) {
            EXPECT_EQ(error, QString()) << c.name;
            EXPECT_EQ(rows.ToList(), expected) << c.name;
        } else {
            EXPECT_TRUE(error.contains(c.says) && error.contains(QLatin1String(c.name))) << c.name << error.toStdString();
        }
    }
}

// The peer suite csv-spectrum: every file read as the suite's JSON has it, the first row the
// header. The suite's location_coordinates.json gives a phone number its own CSV does not hold
// (1234567890 for 2095257564); that one cell is compared with the CSV.
TEST(CsvSpectrumTest, EveryCaseMatchesItsJson)
{
    const QDir suite(QStringLiteral(KESTRIO_BATCH_DATA "/csv-spectrum"));
    const QStringList files = QDir(suite.filePath(u"csvs"_qs)).entryList({u"*.csv"_qs}, QDir::Files);
    ASSERT_EQ(files.size(), 12);
    for (const QString& name : files) {
        CsvReader reader;
        SourceRows rows;
        const QString path = suite.filePath(u"csvs/"_qs + name);
        ASSERT_TRUE(reader.Open(path) && reader.ReadRows({}, 0, rows)) << name.toStdString() << reader.Error().toStdString();
        QFile json(suite.filePath(u"json/"_qs + QString(name).replace(u".csv"_qs, u".json"_qs)));
        ASSERT_TRUE(json.open(QIODevice::ReadOnly));
        const QJsonDocument doc = QJsonDocument::fromJson(json.readAll());
        const QJsonArray records = doc.isArray() ? doc.array() : QJsonArray{doc.object()};
        const QStringList header = rows.Row(1);
        ASSERT_EQ(rows.RowCount(), records.size() + 1) << name.toStdString();
        for (qsizetype r = 0; r < records.size(); ++r) {
            const QJsonObject record = records[r].toObject();
            ASSERT_EQ(record.size(), header.size()) << name.toStdString();
            for (qsizetype c = 0; c < header.size(); ++c) {
                QString expected = record.value(header[c]).toString();
                if (name == u"location_coordinates.csv"_qs && header[c] == u"Contact Phone Number"_qs && expected == u"1234567890"_qs)
                    expected = u"2095257564"_qs;
                EXPECT_EQ(rows.Cell(static_cast<int>(r) + 2, static_cast<int>(c) + 1), expected)
                    << name.toStdString() << " row " << r << " " << header[c].toStdString();
            }
        }
    }
}

TEST_F(HostileTest, DamagedOrOversizedOldWorkbooksAreRefusedNotReadBlank)
{
    QFile sample(QStringLiteral(KESTRIO_BATCH_DATA "/sample.xls"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray good = sample.readAll();
    const qsizetype dimension = good.indexOf(QByteArray("\x00\x02\x0e\x00", 4)); // the first sheet's size record
    ASSERT_GT(dimension, 0);
    const auto patched = [&](qsizetype at, const QByteArray& bytes) { return QByteArray(good).replace(at, bytes.size(), bytes); };
    QByteArray scrambled = good;
    for (qsizetype at = dimension + 29; at < dimension + 729; at += 7) scrambled[at] = static_cast<char>(scrambled[at] ^ 0x5a);
    const struct { const char* name; QByteArray bytes; const char* says; } cases[] = {
        {"rows.xls", patched(dimension + 8, QByteArray("\x71\x11\x01\x00", 4)), "70001行、4列，超过了65536行、256列"},
        {"columns.xls", patched(dimension + 14, QByteArray("\x2c\x01", 2)), "3行、300列，超过了65536行、256列"},
        {"scrambled.xls", scrambled, "读不出任何单元格"},
        {"half.xls", good.left(good.size() / 2), "工作簿已损坏"},
    };
    for (const auto& c : cases) {
        QFile file(Path(QLatin1String(c.name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.bytes);
        file.close();
        SourceRows rows;
        const QString error = Refusal(file.fileName(), rows);
        EXPECT_TRUE(error.startsWith(u"无法导入“"_qs + QLatin1String(c.name))) << c.name << ": " << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.says))) << c.name << ": " << error.toStdString();
    }
}
