// `kestrio convert` and `kestrio capital-to-number`, one text or one per line.
#include "QtPrinters.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

QString Kestrio(const QStringList& arguments, const QByteArray& input = {}, int* code = nullptr)
{
    QProcess process;
    process.start(QStringLiteral(KESTRIO_BINARY), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    if (code) *code = process.exitCode();
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST(ConvertCommand, OneTextOrOnePerLine)
{
    EXPECT_EQ(Kestrio({QStringLiteral("convert"), QStringLiteral("103"), QStringLiteral("1234.5")}),
              QStringLiteral("壹仟贰佰叁拾肆元伍角整\n"));
    EXPECT_EQ(Kestrio({QStringLiteral("convert"), QStringLiteral("114.08"), QStringLiteral("1234.5")}),
              QStringLiteral("零零壹贰叁肆伍零\n"));
    EXPECT_EQ(Kestrio({QStringLiteral("convert"), QStringLiteral("104")}, "1234.5\r\n-35.2\n\n0.5\n"),
              QStringLiteral("￥1,234.50\n￥-35.20\n\n￥0.50\n"));
    EXPECT_EQ(Kestrio({QStringLiteral("capital-to-number"), QStringLiteral("103")}, "壹仟陆佰捌拾元零叁角贰分\n-叁拾伍元贰角整\n"),
              QStringLiteral("1680.32\n-35.2\n"));
}

TEST(ConvertCommand, TodayFixesTheClockForDateCodes)
{
    EXPECT_EQ(Kestrio({QStringLiteral("--today"), QStringLiteral("2024-03-05"), QStringLiteral("convert"),
                       QStringLiteral("106"), QStringLiteral("99")}),
              QStringLiteral("2024\n"));
    int code = 0;
    Kestrio({QStringLiteral("--today"), QStringLiteral("2024-13-05"), QStringLiteral("convert"), QStringLiteral("106")}, {},
            &code);
    EXPECT_EQ(code, 2);
    Kestrio({QStringLiteral("convert"), QStringLiteral("元"), QStringLiteral("1")}, {}, &code);
    EXPECT_EQ(code, 2);
}

} // namespace
