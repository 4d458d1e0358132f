#include "RecordingProgress.h"
#include "ScriptedPrompter.h"
#include "batch/ColumnLetters.h"
#include "batch/GridExport.h"
#include "batch/ZipPackage.h"
#include "format/Grid.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kestrio;

namespace {

// Row 0 names (hidden), row 1 headers, two data rows; column 1 hidden as a zero-width
// history column would be.
Grid SampleGrid()
{
    Grid grid;
    grid.SetFixed(2, 0);
    grid.SetSize(4, 3);
    const QStringList cells = {u"ID"_qs,   u"X"_qs,  u"Con"_qs,  u"账号"_qs, u"隐藏"_qs, u"地址"_qs,
                               u"6222020200112233445"_qs, u"x"_qs, u"北京,海淀"_qs,
                               u"say \"hi\""_qs, u"y"_qs, u"一行\r\n二行"_qs};
    for (int i = 0; i < cells.size(); ++i) grid.SetText(i / 3, i % 3, cells[i]);
    grid.SetRowHidden(0, true);
    grid.SetColumnHidden(1, true);
    grid.SetColumnWidth(0, 2460);
    return grid;
}

QByteArray ZipEntry(const QString& zip, const QString& entry)
{
    return ZipPackage(zip).Entry(entry);
}

struct GridExportTest : ::testing::Test {
    QString Path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    test::RecordingProgress progress;
    GridExport exporter{prompter, progress};
};

} // namespace

TEST(ColumnLettersTest, NamesAndNumbersBothWays)
{
    const struct { int number; const char* name; } cases[] = {
        {1, "A"}, {26, "Z"}, {27, "AA"}, {52, "AZ"}, {53, "BA"}, {702, "ZZ"}, {0, ""}, {703, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(ColumnLetters::FromNumber(c.number), QLatin1String(c.name)) << c.number;
        if (*c.name) EXPECT_EQ(ColumnLetters::ToNumber(QLatin1String(c.name).toString().toLower()), c.number);
    }
    EXPECT_EQ(ColumnLetters::ToNumber(u"ABC"_qs), 0);
    EXPECT_EQ(ColumnLetters::ToNumber(u"A1"_qs), 0);
}

TEST(GridExportFieldTest, TabQuotingAndExtension)
{
    const struct { QString text, field; } cases[] = {
        {u"6222020200112233445"_qs, u"6222020200112233445\t"_qs},
        {u"北京,海淀"_qs, u"\"北京,海淀\t\""_qs},
        {u"say \"hi\""_qs, u"\"say \"\"hi\"\"\t\""_qs},
        {u"a\r\nb"_qs, u"\"a\r\nb\t\""_qs},
        {QString(), u"\t"_qs},
    };
    for (const auto& c : cases) EXPECT_EQ(GridExport::CsvField(c.text), c.field) << c.text.toStdString();
    EXPECT_TRUE(GridExport::IsCsvPath(u"/tmp/OUT.CSV"_qs));
    EXPECT_FALSE(GridExport::IsCsvPath(u"/tmp/out.txt"_qs));
}

TEST_F(GridExportTest, CsvLeavesHiddenRowsAndColumnsOutInGb18030)
{
    ASSERT_TRUE(exporter.ExportGridCsv(SampleGrid(), Path(u"out.csv"_qs)));
    QFile file(Path(u"out.csv"_qs));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QString expected = u"账号\t,地址\t\r\n"
                             "6222020200112233445\t,\"北京,海淀\t\"\r\n"
                             "\"say \"\"hi\"\"\t\",\"一行\r\n二行\t\"\r\n"_qs;
    EXPECT_EQ(QStringDecoder("GB18030").decode(bytes), expected);
    EXPECT_TRUE(bytes.startsWith("\xd5\xcb\xba\xc5\t")); // 账号 in GBK bytes
    EXPECT_EQ(progress.captions, QStringList{u"正在导出数据至CSV格式文件……"_qs});
    EXPECT_EQ(progress.steps, 4);

    // UTF-8: a byte-order mark, the same quoting, no TAB after the values.
    exporter.SetCsvEncoding(GridExport::CsvEncoding::Utf8);
    ASSERT_TRUE(exporter.ExportGridCsv(SampleGrid(), Path(u"utf8.csv"_qs)));
    QFile utf8(Path(u"utf8.csv"_qs));
    ASSERT_TRUE(utf8.open(QIODevice::ReadOnly));
    EXPECT_EQ(utf8.readAll(), QByteArray("\xEF\xBB\xBF") + u"账号,地址\r\n6222020200112233445,\"北京,海淀\"\r\n"
                                                            "\"say \"\"hi\"\"\",\"一行\r\n二行\"\r\n"_qs.toUtf8());
    EXPECT_EQ(GridExport::ParseEncoding(u"UTF-8"_qs), GridExport::CsvEncoding::Utf8);
    EXPECT_EQ(GridExport::ParseEncoding(u"gbk"_qs), GridExport::CsvEncoding::Gbk);
    EXPECT_FALSE(GridExport::ParseEncoding(u"latin1"_qs).has_value());
}

TEST_F(GridExportTest, WorkbookHasTitleWidthsHeaderFillAndTextCellsWithoutTab)
{
    const QString path = Path(u"out.TXT"_qs); // not csv: a workbook whatever the extension
    ASSERT_TRUE(exporter.WriteFile(SampleGrid(), path, u"Kestrio支票打印历史数据"_qs));
    EXPECT_TRUE(prompter.shown.isEmpty());
    EXPECT_TRUE(QString::fromUtf8(ZipEntry(path, u"xl/workbook.xml"_qs)).contains(u"name=\"Kestrio支票打印历史数据\""_qs));
    const QString sheet = QString::fromUtf8(ZipEntry(path, u"xl/worksheets/sheet1.xml"_qs));
    EXPECT_TRUE(sheet.contains(u"<t>6222020200112233445</t>"_qs)) << sheet.toStdString();
    EXPECT_FALSE(sheet.contains(u"\t"_qs));
    EXPECT_FALSE(sheet.contains(u"隐藏"_qs));
    EXPECT_FALSE(sheet.contains(u">ID<"_qs));
    EXPECT_TRUE(sheet.contains(u"width=\"20.7109375\""_qs)) << sheet.toStdString(); // 2460 twips = 20 characters
    const QString styles = QString::fromUtf8(ZipEntry(path, u"xl/styles.xml"_qs));
    EXPECT_TRUE(styles.contains(u"FFFFC080"_qs));
    EXPECT_TRUE(styles.contains(u"<b/>"_qs));
    EXPECT_TRUE(styles.contains(u"style=\"thin\""_qs));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"out.TXT"_qs});
}

TEST_F(GridExportTest, CommandAsksSaysAndNeverLeavesHalfAFile)
{
    Grid empty;
    EXPECT_FALSE(exporter.ExportGrid(empty, {}));
    EXPECT_EQ(prompter.shown, QStringList{GridExport::EmptyGridMessage()});

    // An existing file is kept when the user answers No.
    const QString existing = Path(u"old.csv"_qs);
    QFile old(existing);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    prompter.QueueFile(existing);
    EXPECT_FALSE(exporter.ExportGrid(SampleGrid(), {}));
    EXPECT_EQ(prompter.shown.last(), GridExport::OverwriteQuestion());
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old");
    old.close();

    // Yes replaces it.
    prompter.QueueFile(existing);
    prompter.QueueAsk(true);
    EXPECT_TRUE(exporter.ExportGrid(SampleGrid(), {}));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_TRUE(old.readAll().startsWith("\xd5\xcb\xba\xc5\t"));

    // A folder that does not exist: both kinds say so and leave nothing.
    for (const QString& name : {u"missing/out.csv"_qs, u"missing/out.xlsx"_qs}) {
        prompter.QueueFile(Path(name));
        EXPECT_FALSE(exporter.ExportGrid(SampleGrid(), {}));
        EXPECT_EQ(prompter.shown.last(), GridExport::SaveFailedMessage());
        EXPECT_FALSE(QFile::exists(Path(name)));
    }

    // A name without extension becomes a workbook.
    prompter.QueueFile(Path(u"plain"_qs));
    EXPECT_TRUE(exporter.ExportGrid(SampleGrid(), u"表"_qs));
    EXPECT_FALSE(ZipEntry(Path(u"plain.xlsx"_qs), u"xl/workbook.xml"_qs).isEmpty());

    // A typed report.xls is never written as a workbook under that name: the window offers
    // report.xlsx, the writer refuses the name.
    prompter.QueueFile(Path(u"report.xls"_qs));
    EXPECT_FALSE(exporter.ExportGrid(SampleGrid(), u"表"_qs));
    EXPECT_EQ(prompter.shown.last(), GridExport::AsWorkbookQuestion(Path(u"report.xls"_qs)));
    prompter.QueueFile(Path(u"report.xls"_qs));
    prompter.QueueAsk(true);
    EXPECT_TRUE(exporter.ExportGrid(SampleGrid(), u"表"_qs));
    EXPECT_FALSE(QFile::exists(Path(u"report.xls"_qs)));
    EXPECT_FALSE(ZipEntry(Path(u"report.xlsx"_qs), u"xl/workbook.xml"_qs).isEmpty());
    EXPECT_FALSE(exporter.WriteFile(SampleGrid(), Path(u"other.xls"_qs), u"表"_qs));
    EXPECT_FALSE(QFile::exists(Path(u"other.xls"_qs)));
}
