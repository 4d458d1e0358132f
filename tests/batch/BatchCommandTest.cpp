// `kestrio batch` and `kestrio export-history` run as a user runs them, the PDF read back
// with poppler.
#include "PdfText.h"
#include "batch/BatchPrintJob.h"
#include "batch/CsvReader.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kestrio;

namespace {

struct Outcome {
    int code = -1;
    QString out, err;
};

struct BatchCommandTest : ::testing::Test {
    Outcome Kestrio(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KESTRIO_BINARY), QStringList{u"--data-dir"_qs, File(u"app"_qs)} + arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    QString File(const QString& name) const { return QDir(dir.path()).filePath(name); }
    QString Csv(const QByteArray& bytes)
    {
        QFile file(File(u"source.csv"_qs));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QStringList Batch(const QString& source, const QString& pdf)
    {
        return {u"batch"_qs, u"--format"_qs, u"转账支票"_qs, u"--source"_qs, source, u"--start"_qs, u"2"_qs,
                u"--map"_qs, u"收款人=A"_qs, u"--map"_qs, u"大写金额=B"_qs, u"--pdf"_qs, pdf, u"--today"_qs, u"2026-12-08"_qs};
    }
    static QString PageText(const test::PdfPage& page)
    {
        QString text;
        for (const auto& word : page.words) text += word.text;
        return text;
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(BatchCommandTest, EveryBillIsAPageWithItsCapitalAmount)
{
    // GBK bytes as a Chinese spreadsheet program writes them.
    const QString source = Csv(QByteArray("\xca\xd5\xbf\xee\xc8\xcb,\xbd\xf0\xb6\xee\r\n") + // 收款人,金额
                               "\xd5\xc5\xc8\xfd,1234.5\r\n"                                    // 张三
                               "\xc0\xee\xcb\xc4,88\r\n"                                        // 李四
                               "\"\xcd\xf5,\xce\xe5\",6.05\r\n");                              // "王,五"
    const Outcome run = Kestrio(Batch(source, File(u"out.pdf"_qs)) + QStringList{u"--store"_qs});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(u"正在打印单据…… 3/3"_qs)) << run.err.toStdString();
    const auto pages = test::ReadPdf(File(u"out.pdf"_qs));
    ASSERT_EQ(pages.size(), 3);
    const QStringList payees = {u"张三"_qs, u"李四"_qs, u"王,五"_qs};
    const QStringList capitals = {u"壹仟贰佰叁拾肆元伍角整"_qs, u"捌拾捌元整"_qs, u"陆元零伍分"_qs};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(PageText(pages[i]).contains(payees[i])) << i;
        EXPECT_TRUE(PageText(pages[i]).contains(capitals[i])) << PageText(pages[i]).toStdString();
    }

    // The stored bills come out of the history export, newest first, with the TAB rule.
    const Outcome exported = Kestrio({u"export-history"_qs, u"--format"_qs, u"转账支票"_qs, File(u"h.csv"_qs)});
    ASSERT_EQ(exported.code, 0) << exported.err.toStdString();
    QFile csv(File(u"h.csv"_qs));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    SourceRows rows;
    QString error;
    ASSERT_TRUE(CsvReader::Parse(CsvReader::Decode(csv.readAll()), 0, rows, error)) << error.toStdString();
    ASSERT_EQ(rows.RowCount(), 4);
    EXPECT_TRUE(rows.Row(1).contains(u"收款人\t"_qs));
    EXPECT_TRUE(rows.Row(1).contains(u"保存时间\t"_qs)); // when each bill was stored, last
    EXPECT_TRUE(rows.Row(2).contains(u"王,五\t"_qs));
    EXPECT_TRUE(rows.Row(4).contains(u"壹仟贰佰叁拾肆元伍角整\t"_qs));
    EXPECT_EQ(Kestrio({u"export-history"_qs, u"--format"_qs, u"转账支票"_qs, File(u"no/h.xlsx"_qs)}).code, 1);
}

TEST_F(BatchCommandTest, ARefusedRowIsNamedAndNothingPrintsUnlessTheOthersAreAskedFor)
{
    // Row 1 is the heading: without --start the bills begin at row 2, as in the window.
    const QString source = Csv("name,amount\r\nA,1\r\nB,123456789012\r\nC,2026-11-03\r\nD,0.005\r\nE,3\r\n");
    const QString pdf = File(u"refused.pdf"_qs);
    const QStringList batch = {u"batch"_qs, u"--format"_qs, u"转账支票"_qs, u"--source"_qs, source, u"--map"_qs,
                               u"收款人=A"_qs, u"--map"_qs, u"小写金额=B"_qs, u"--pdf"_qs, pdf};
    const Outcome refused = Kestrio(batch + QStringList{u"--store"_qs});
    EXPECT_EQ(refused.code, 1);
    for (const QString& line : {u"第3行“小写金额”：金额超出对格金额框的格数，无法打印！"_qs, u"第4行“小写金额”：金额格式不正确！"_qs,
                                u"第5行“小写金额”：金额只能精确到分！"_qs})
        EXPECT_TRUE(refused.err.contains(line)) << refused.err.toStdString();
    EXPECT_FALSE(refused.err.contains(u"第2行"_qs)) << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
    // Text running past its box may be allowed; an amount too long for its cells never is.
    EXPECT_EQ(Kestrio(batch + QStringList{u"--allow-overflow"_qs}).code, 1);
    EXPECT_FALSE(QFile::exists(pdf));

    const Outcome others = Kestrio(batch + QStringList{u"--skip-refused"_qs, u"--store"_qs});
    ASSERT_EQ(others.code, 0) << others.err.toStdString();
    EXPECT_TRUE(others.out.contains(u"已打印2张单据"_qs)) << others.out.toStdString();
    const auto pages = test::ReadPdf(pdf);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_TRUE(PageText(pages[0]).contains(u"壹元整"_qs)) << PageText(pages[0]).toStdString();
    EXPECT_TRUE(PageText(pages[1]).contains(u"叁元整"_qs)) << PageText(pages[1]).toStdString();
    // A column past the source's last fills nothing: the import says so instead.
    const Outcome beyond = Kestrio(batch + QStringList{u"--map"_qs, u"用途=F"_qs});
    EXPECT_EQ(beyond.code, 1);
    EXPECT_TRUE(beyond.err.contains(u"输入表格列号超界，请重新输入！"_qs)) << beyond.err.toStdString();
    const Outcome history = Kestrio({u"history"_qs, u"--format"_qs, u"转账支票"_qs});
    EXPECT_EQ(history.out.count(u'\n'), 3) << history.out.toStdString(); // the heading and two bills

    const struct { QStringList args; int code; } wrong[] = {
        {{u"batch"_qs, u"--format"_qs, u"转账支票"_qs, u"--pdf"_qs, pdf}, 2},
        {{u"batch"_qs, u"--format"_qs, u"转账支票"_qs, u"--source"_qs, source, u"--pdf"_qs, pdf}, 1}, // no mapping
        {Batch(source, pdf) + QStringList{u"--end"_qs, u"30002"_qs}, 1},
        {Batch(File(u"none.xls"_qs), pdf), 1},
    };
    for (const auto& w : wrong) EXPECT_EQ(Kestrio(w.args).code, w.code) << w.args.join(u' ').toStdString();

    // A workbook without --sheet: its first worksheet.
    const Outcome workbook = Kestrio({u"batch"_qs, u"--format"_qs, u"转账支票"_qs, u"--source"_qs,
                                      QStringLiteral(KESTRIO_BATCH_DATA "/sample.xls"), u"--start"_qs, u"2"_qs,
                                      u"--map"_qs, u"收款人=C"_qs, u"--pdf"_qs, pdf, u"--allow-empty"_qs});
    ASSERT_EQ(workbook.code, 0) << workbook.err.toStdString();
    EXPECT_EQ(test::ReadPdf(pdf).size(), 2);
}

TEST_F(BatchCommandTest, ASourceTheReaderRefusesPrintsNothing)
{
    QFile sample(QStringLiteral(KESTRIO_BATCH_DATA "/sample.xls"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray workbook = sample.readAll();
    const struct { const char* name; QByteArray bytes; QString says; } cases[] = {
        {"bom.csv", "\xEF\xBB\xBF", u"“bom.csv”中没有数据行"_qs},
        {"quote.csv", "name,amount\r\nJoe,\"200\r\nAnn,300\r\n", u"无法导入“quote.csv”：第2行：引号不成对。"_qs},
        {"cut.xls", workbook.left(workbook.size() / 2), u"无法导入“cut.xls”：工作簿已损坏"_qs},
    };
    for (const auto& c : cases) {
        QFile file(File(QLatin1String(c.name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.bytes);
        file.close();
        const QString pdf = File(u"refused.pdf"_qs);
        QStringList arguments = Batch(file.fileName(), pdf);
        arguments[arguments.indexOf(u"--start"_qs) + 1] = u"1"_qs;
        const Outcome refused = Kestrio(arguments + QStringList{u"--end"_qs, u"3"_qs});
        EXPECT_EQ(refused.code, 1) << c.name;
        EXPECT_TRUE(refused.err.contains(c.says)) << c.name << ": " << refused.err.toStdString();
        EXPECT_FALSE(refused.out.contains(u"已打印"_qs)) << c.name;
        EXPECT_FALSE(QFile::exists(pdf)) << c.name;
    }
}
