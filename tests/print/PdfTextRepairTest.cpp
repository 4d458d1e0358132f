// The text maps of written PDFs: radicals that stand for ideographs are read as the
// ideographs, and nothing else in the map changes.
#include "GuiApplication.h"
#include "QtPrinters.h"
#include "print/PdfTextRepair.h"
#include "print/PrintFonts.h"

#include <QBuffer>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kestrio {
namespace {

TEST(PdfTextRepair, RadicalsStandForTheirIdeographs)
{
    const std::pair<char32_t, char32_t> cases[] = {
        {0x2F93, U'角'}, {0x2FD3, U'龍'}, {0x2F49, U'月'}, {0x2F47, U'日'}, {0x2F8F, U'行'}, {0x2F40, U'支'},
        {0x2F08, U'人'}, {0x2ED3, U'长'}, {0x2EC6, U'角'}, {0x2F00, U'一'}, {0x2FD5, U'龠'},
        {U'角', 0},      {U'A', 0},       {0x2E9A, 0},     {0x2FD6, 0},
    };
    for (const auto& [radical, unified] : cases)
        EXPECT_EQ(PdfTextRepair::UnifiedIdeograph(radical), unified) << std::hex << uint(radical);
}

TEST(PdfTextRepair, OnlyTheTargetsOfTheMapChange)
{
    struct Case {
        const char* what;
        QByteArray before;
        QByteArray after;
    };
    const Case cases[] = {
        {"a single radical", "2 beginbfchar\n<0003> <2F93>\n<0004> <0041>\nendbfchar",
         "2 beginbfchar\n<0003> <89D2>\n<0004> <0041>\nendbfchar"},
        {"a source code that looks like a radical", "1 beginbfchar\n<2F49> <4E00>\nendbfchar",
         "1 beginbfchar\n<2F49> <4E00>\nendbfchar"},
        {"a range through radicals", "1 beginbfrange\n<0010> <0012> <2F46>\nendbfrange",
         "1 beginbfrange\n<0010> <0012> [<65E0><65E5><66F0>]\nendbfrange"},
        {"a range without radicals", "1 beginbfrange\n<0010> <0012> <4E00>\nendbfrange",
         "1 beginbfrange\n<0010> <0012> <4E00>\nendbfrange"},
        {"an array target", "1 beginbfrange\n<0001> <0002> [<2F49> <0031>]\nendbfrange",
         "1 beginbfrange\n<0001> <0002> [<6708> <0031>]\nendbfrange"},
        {"no sections", "/CIDInit /ProcSet findresource begin", "/CIDInit /ProcSet findresource begin"},
    };
    for (const Case& c : cases) EXPECT_EQ(PdfTextRepair::RepairCMap(c.before), c.after) << c.what;
}

QString PdfToText(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    EXPECT_TRUE(process.waitForFinished(30000));
    return QString::fromUtf8(process.readAllStandardOutput()).simplified();
}

TEST(PdfTextRepair, TextQtWritesReadsBackAsDrawnAfterTheRepair)
{
    test::EnsureGuiApplication();
    PrintFonts::RegisterSubstitutions();
    const QString text = QStringLiteral("角 月 日 行 支 人 长 见 金额 2026年12月9日 ￥1,234.50");
    QBuffer written;
    written.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&written);
        writer.setPageLayout(QPageLayout(QPageSize(QSizeF(240, 80), QPageSize::Millimeter), QPageLayout::Portrait,
                                         QMarginsF()));
        QPainter painter(&writer);
        for (const char16_t* face : {u"宋体", u"黑体"}) {
            painter.setFont(QFont(QString::fromUtf16(face), 12));
            painter.drawText(QPointF(200, face[0] == u'宋' ? 600 : 1200), text);
        }
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bill.pdf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(written.data());
    file.close();
    const QString raw = PdfToText(path);

    QString error;
    ASSERT_TRUE(PdfTextRepair::RepairFile(path, &error)) << error.toStdString();
    EXPECT_EQ(PdfToText(path), (text + QLatin1Char(' ') + text).simplified()) << "as Qt wrote it: " << raw.toStdString();

    // Something that is not a PDF is refused and the file stays as it was.
    const QString junk = dir.filePath(QStringLiteral("junk.pdf"));
    QFile junkFile(junk);
    ASSERT_TRUE(junkFile.open(QIODevice::WriteOnly));
    junkFile.write("not a pdf");
    junkFile.close();
    EXPECT_FALSE(PdfTextRepair::RepairFile(junk, &error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(junkFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(junkFile.readAll(), QByteArray("not a pdf"));
}

} // namespace
} // namespace kestrio
