// Dates as workbooks store them (built-in styles, the 1904 system, midnight), line ends inside
// quoted CSV fields, and sheet names an exported workbook can hold.
#include "RecordingProgress.h"
#include "ScriptedPrompter.h"
#include "batch/CellText.h"
#include "batch/BatchGrid.h"
#include "batch/CsvReader.h"
#include "batch/GridExport.h"
#include "batch/SheetReader.h"
#include "format/Grid.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <minizip/zip.h>
#include <xlsxwriter.h>

using namespace kestrio;

namespace {

struct WorkbookDatesTest : ::testing::Test {
    QString Path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    SourceRows Read(const QString& path, const QString& sheet)
    {
        SourceRows rows;
        auto reader = SheetReader::ForPath(path);
        EXPECT_TRUE(reader && reader->Open(path) && reader->ReadRows(sheet, 0, rows)) << path.toStdString();
        return rows;
    }
    // A workbook of one sheet "表" written part by part, as other programs write them.
    QString WriteParts(const QString& name, const QByteArray& workbookPr, const QByteArray& styles, const QByteArray& row)
    {
        const QList<std::pair<const char*, QByteArray>> parts = {
            {"xl/workbook.xml", "<workbook xmlns:r=\"r\">" + workbookPr +
                                    "<sheets><sheet name=\"表\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
            {"xl/_rels/workbook.xml.rels", "<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/></Relationships>"},
            {"xl/styles.xml", "<styleSheet>" + styles + "</styleSheet>"},
            {"xl/worksheets/sheet1.xml", "<worksheet><sheetData><row r=\"1\">" + row + "</row></sheetData></worksheet>"}};
        const QString path = Path(name);
        QFile::remove(path);
        zipFile zip = zipOpen(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
        EXPECT_NE(zip, nullptr);
        for (const auto& [part, bytes] : parts) {
            zipOpenNewFileInZip(zip, part, nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION);
            zipWriteInFileInZip(zip, bytes.constData(), static_cast<unsigned>(bytes.size()));
            zipCloseFileInZip(zip);
        }
        zipClose(zip, nullptr);
        return path;
    }
    QTemporaryDir dir;
};

} // namespace

TEST(CsvLineEnds, AnyLineEndInsideAQuotedFieldStaysInItsField)
{
    // The field keeps the line end the file has; the batch then makes each one line break.
    const std::pair<QString, QString> cases[] = {
        {u"\"一\n二\",x"_qs, u"一\n二"_qs}, {u"\"一\r二\",x"_qs, u"一\r二"_qs},
        {u"\"一\r\n二\",x"_qs, u"一\r\n二"_qs}, {u"\"一\n\n二\",x"_qs, u"一\n\n二"_qs},
        {u"\"一\r\n\r二\",x"_qs, u"一\r\n\r二"_qs}};
    const QStringList breaks{u"一//二"_qs, u"一//二"_qs, u"一//二"_qs, u"一////二"_qs, u"一////二"_qs};
    int i = 0;
    for (const auto& [text, field] : cases) {
        SourceRows rows;
        QString error;
        ASSERT_TRUE(CsvReader::Parse(text, 0, rows, error)) << error.toStdString();
        ASSERT_EQ(rows.RowCount(), 1) << text.toStdString();
        EXPECT_EQ(rows.Row(1), (QStringList{field, u"x"_qs})) << text.toStdString();
        EXPECT_EQ(BatchGrid::BatchValue(field, u"//"_qs), breaks[i++]) << text.toStdString();
    }
}

TEST(CellTextDates, SerialsOfBothSystemsAndMidnightDateTimes)
{
    const struct { double serial; bool from1904; const char* text; } serials[] = {
        {45356, false, "2024-03-05"}, {43894, true, "2024-03-05"}, {45356.75, false, "2024-03-05 18:00:00"},
        {1, false, "1899-12-31"}, {0, true, "1904-01-01"}};
    for (const auto& c : serials) EXPECT_EQ(CellText::DateSerial(c.serial, c.from1904), QLatin1String(c.text)) << c.serial;
    const std::pair<const char*, const char*> times[] = {
        {"2024-03-05 00:00:00", "2024-03-05"}, {"2024-03-05 00:00:01", "2024-03-05 00:00:01"},
        {"2024-03-05 10:00:00", "2024-03-05 10:00:00"}, {"", ""}};
    for (const auto& [text, shown] : times) EXPECT_EQ(CellText::DateTime(QLatin1String(text)), QLatin1String(shown)) << text;
    // The built-in date styles, the Chinese ones (27–36, 50–58) among them, and their neighbours.
    for (int id : {14, 15, 17, 22, 27, 31, 36, 45, 47, 50, 57, 58}) EXPECT_TRUE(CellText::IsBuiltInDateFormat(id)) << id;
    for (int id : {0, 1, 2, 10, 13, 23, 26, 37, 44, 48, 49, 59}) EXPECT_FALSE(CellText::IsBuiltInDateFormat(id)) << id;
}

TEST_F(WorkbookDatesTest, BuiltInDateStylesAndThe1904SystemReadAsDates)
{
    const QString path = Path(u"builtin.xlsx"_qs);
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, "表");
    lxw_format* day = workbook_add_format(book);
    format_set_num_format_index(day, 14);
    lxw_format* stamp = workbook_add_format(book);
    format_set_num_format_index(stamp, 22);
    lxw_datetime when = {2024, 3, 5, 0, 0, 0};
    worksheet_write_datetime(sheet, 0, 0, &when, day);
    lxw_datetime later = {2024, 3, 5, 13, 30, 0};
    worksheet_write_datetime(sheet, 0, 1, &later, stamp);
    worksheet_write_number(sheet, 0, 2, 45356, nullptr);
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
    EXPECT_EQ(Read(path, u"表"_qs).Row(1), (QStringList{u"2024-03-05"_qs, u"2024-03-05 13:30:00"_qs, u"45356"_qs}));

    const QByteArray styles = "<cellXfs count=\"2\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs>";
    const QByteArray row = "<c r=\"A1\" s=\"1\"><v>43894</v></c><c r=\"B1\"><v>43894</v></c>";
    for (const QByteArray flag : {QByteArray("1"), QByteArray("true")})
        EXPECT_EQ(Read(WriteParts(u"1904.xlsx"_qs, "<workbookPr date1904=\"" + flag + "\"/>", styles, row), u"表"_qs).Row(1),
                  (QStringList{u"2024-03-05"_qs, u"43894"_qs}))
            << flag.constData();
    EXPECT_EQ(Read(WriteParts(u"1900.xlsx"_qs, "<workbookPr/>", styles, row), u"表"_qs).Row(1),
              (QStringList{u"2020-03-04"_qs, u"43894"_qs}));
}

TEST_F(WorkbookDatesTest, ExportedSheetNamesAreCutTo31Characters)
{
    Grid grid;
    grid.SetSize(2, 1);
    grid.SetText(0, 0, u"户名"_qs);
    grid.SetText(1, 0, u"张三"_qs);
    ScriptedPrompter prompter;
    test::RecordingProgress progress;
    GridExport exporter(prompter, progress);
    const QString title = QString(40, u'票');
    const std::pair<QString, QString> cases[] = {
        {title, QString(31, u'票')}, {QString(31, u'据'), QString(31, u'据')}, {u"a/b:c"_qs, u"a_b_c"_qs}, {QString(), u"Sheet1"_qs}};
    for (const auto& [given, kept] : cases) {
        const QString path = Path(u"sheet.xlsx"_qs);
        QFile::remove(path);
        ASSERT_TRUE(exporter.WriteFile(grid, path, given)) << given.toStdString();
        auto reader = SheetReader::ForPath(path);
        ASSERT_TRUE(reader->Open(path));
        EXPECT_EQ(reader->SheetNames(), QStringList{kept}) << given.toStdString();
        EXPECT_EQ(Read(path, kept).Cell(2, 1), u"张三"_qs);
    }
}
