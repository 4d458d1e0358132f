#include "RecordingProgress.h"
#include "ScriptedPrompter.h"
#include "batch/BatchGrid.h"
#include "batch/CellText.h"
#include "batch/CsvReader.h"
#include "batch/GridExport.h"
#include "batch/SheetReader.h"
#include "format/Grid.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <xlsxwriter.h>

using namespace kestrio;

namespace {

QList<QStringList> Rows(const QString& text)
{
    SourceRows rows;
    QString error;
    EXPECT_TRUE(CsvReader::Parse(text, 0, rows, error)) << error.toStdString();
    return rows.ToList();
}

struct ReaderTest : ::testing::Test {
    QString Path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    QString Write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return Path(name);
    }
    SourceRows Read(const QString& path, const QString& sheet = {})
    {
        SourceRows rows;
        auto reader = SheetReader::ForPath(path);
        EXPECT_TRUE(reader && reader->Open(path) && reader->ReadRows(sheet, 0, rows)) << path.toStdString() << (reader ? reader->Error().toStdString() : std::string());
        return rows;
    }
    QTemporaryDir dir;
};

} // namespace

TEST(CsvParseTest, QuotingRulesWithoutMarkerCharacters)
{
    const struct { QString text; QList<QStringList> rows; } cases[] = {
        {u"a,\"b,c\",d"_qs, {{u"a"_qs, u"b,c"_qs, u"d"_qs}}},
        {u"\"say \"\"hi\"\"\""_qs, {{u"say \"hi\""_qs}}},
        {u"1,\"一行\r\n二行\",3\r\n4"_qs, {{u"1"_qs, u"一行\r\n二行"_qs, u"3"_qs}, {u"4"_qs}}},
        {u"ζ,ξ\"x\"ξ,\"ζζ\""_qs, {{u"ζ"_qs, u"ξ\"x\"ξ"_qs, u"ζζ"_qs}}},
        {u"a\r\rb\nc\r\n"_qs, {{u"a"_qs}, {}, {u"b"_qs}, {u"c"_qs}}},
        {u"a,,\r\n"_qs, {{u"a"_qs, QString(), QString()}}},
    };
    for (const auto& c : cases) EXPECT_EQ(Rows(c.text), c.rows) << c.text.toStdString();
}

TEST(CsvParseTest, UnfinishedQuoteStopsTheReadingAndSaysWhereItBegan)
{
    SourceRows rows;
    QString error;
    EXPECT_FALSE(CsvReader::Parse(u"a,b\r\nc,\"d\r\ne,f"_qs, 0, rows, error));
    EXPECT_EQ(error, u"第2行：引号不成对"_qs);
    EXPECT_TRUE(CsvReader::Parse(u"a,\"b\""_qs, 0, rows, error));
    EXPECT_EQ(rows.ToList(), (QList<QStringList>{{u"a"_qs, u"b"_qs}}));
}

TEST_F(ReaderTest, Gb18030Utf8BomAndUtf16GiveTheSameRows)
{
    const QString text = u"户名,地址\r\n张三,\"北京,海淀\"\r\n"_qs;
    QStringEncoder gb("GB18030");
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const QList<QStringList> expected = {{u"户名"_qs, u"地址"_qs}, {u"张三"_qs, u"北京,海淀"_qs}};
    EXPECT_EQ(Read(Write(u"gbk.csv"_qs, gb.encode(text))).ToList(), expected);
    EXPECT_EQ(Read(Write(u"bom.CSV"_qs, "\xEF\xBB\xBF" + text.toUtf8())).ToList(), expected);
    EXPECT_EQ(Read(Write(u"plain.csv"_qs, text.toUtf8())).ToList(), expected);
    EXPECT_EQ(Read(Write(u"wide.csv"_qs, utf16.encode(text))).ToList(), expected);
}

TEST(CellTextTest, NumbersStayPlainAndDatesReadAsDays)
{
    const struct { double value; const char* text; } numbers[] = {
        {6222020200112233445.0, "6222020200112230000"}, {1234.5, "1234.5"}, {100, "100"},
        {0.05, "0.05"}, {-12.25, "-12.25"}, {0, "0"}, {1.0 / 3, "0.333333333333333"}};
    for (const auto& n : numbers) EXPECT_EQ(CellText::Number(n.value), QLatin1String(n.text)) << n.text;
    EXPECT_EQ(CellText::DateSerial(45356), u"2024-03-05"_qs);
    EXPECT_EQ(CellText::DateSerial(45356.5), u"2024-03-05 12:00:00"_qs);
    EXPECT_TRUE(CellText::IsDateFormat(u"yyyy\"年\"m\"月\"d\"日\""_qs));
    EXPECT_FALSE(CellText::IsDateFormat(u"[Red]#,##0.00\"元\""_qs));
}

TEST_F(ReaderTest, WorkbooksGiveDigitsDatesAndTexts)
{
    // An .xlsx written here with shared strings, and an .xls kept as a fixture.
    const QString xlsx = Path(u"sample.xlsx"_qs);
    lxw_workbook* book = workbook_new(QFile::encodeName(xlsx).constData());
    workbook_add_worksheet(book, "其他");
    lxw_worksheet* sheet = workbook_add_worksheet(book, "收款");
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "yyyy-mm-dd");
    worksheet_write_string(sheet, 0, 0, "账号", nullptr);
    worksheet_write_number(sheet, 1, 0, 6222020200112233445.0, nullptr);
    lxw_datetime day = {2024, 3, 5, 0, 0, 0};
    worksheet_write_datetime(sheet, 1, 1, &day, date);
    worksheet_write_string(sheet, 1, 2, "张三", nullptr);
    worksheet_write_number(sheet, 1, 3, 1234.5, nullptr);
    worksheet_write_boolean(sheet, 3, 1, 1, nullptr);
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);

    auto reader = SheetReader::ForPath(xlsx);
    ASSERT_TRUE(reader->Open(xlsx));
    EXPECT_EQ(reader->SheetNames(), (QStringList{u"其他"_qs, u"收款"_qs}));
    const SourceRows rows = Read(xlsx, u"收款"_qs);
    EXPECT_EQ(rows.ToList(), (QList<QStringList>{{u"账号"_qs},
                                             {u"6222020200112230000"_qs, u"2024-03-05"_qs, u"张三"_qs, u"1234.5"_qs},
                                             {},
                                             {QString(), u"TRUE"_qs}}));

    const QString xls = QStringLiteral(KESTRIO_BATCH_DATA "/sample.xls");
    const SourceRows old = Read(xls, u"收款"_qs);
    ASSERT_EQ(old.RowCount(), 3);
    EXPECT_EQ(old.Row(2), (QStringList{u"6222020200112230000"_qs, u"2024-03-05"_qs, u"张三"_qs, u"1234.5"_qs}));
    EXPECT_EQ(old.Cell(3, 4), u"88"_qs);
}

TEST_F(ReaderTest, FailuresSayWhatWentWrong)
{
    const struct { QString path; QString sheet; QString message; } cases[] = {
        {Path(u"missing.xls"_qs), {}, SheetReader::CannotOpenMessage()},
        {Write(u"text.xlsx"_qs, "not a zip"), {}, SheetReader::NotWorkbookMessage()},
        {Write(u"text.xls"_qs, "not a workbook"), {}, SheetReader::NotWorkbookMessage()},
        {QStringLiteral(KESTRIO_BATCH_DATA "/sample.xls"), u"没有"_qs, SheetReader::NoSuchSheetMessage()},
    };
    for (const auto& c : cases) {
        auto reader = SheetReader::ForPath(c.path);
        SourceRows rows;
        ASSERT_TRUE(reader);
        EXPECT_FALSE(reader->Open(c.path) && reader->ReadRows(c.sheet, 0, rows)) << c.path.toStdString();
        EXPECT_EQ(reader->Error(), c.message) << c.path.toStdString();
    }
    EXPECT_EQ(SheetReader::ForPath(Path(u"a.txt"_qs)), nullptr);
    EXPECT_EQ(SheetReader::UnknownErrorMessage(5), u"未知错误，错误号： 5　请检查输入值！"_qs);
}

TEST_F(ReaderTest, ExportedGridReadsBackAsItWas)
{
    Grid grid;
    grid.SetFixed(1, 0);
    grid.SetSize(3, 3);
    const QStringList cells = {u"账号"_qs, u"地址"_qs, u"备注"_qs, u"6222020200112233445"_qs, u"北京,海淀"_qs,
                               u"say \"hi\""_qs, u"0012"_qs, u"一行\r\n二行"_qs, QString()};
    for (int i = 0; i < cells.size(); ++i) grid.SetText(i / 3, i % 3, cells[i]);
    ScriptedPrompter prompter;
    test::RecordingProgress progress;
    GridExport exporter(prompter, progress);
    for (const QString& name : {u"round.csv"_qs, u"round.xlsx"_qs}) {
        ASSERT_TRUE(exporter.WriteFile(grid, Path(name), u"表"_qs));
        const SourceRows rows = Read(Path(name), u"表"_qs);
        for (int i = 0; i < cells.size(); ++i)
            EXPECT_EQ(BatchGrid::BatchValue(rows.Cell(i / 3 + 1, i % 3 + 1), u"\r\n"_qs), cells[i]) << name.toStdString() << i;
    }
}
