#pragma once

#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QString>

#include <gtest/gtest.h>

namespace kestrio::test {

struct PdfWord {
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    QString text;
};

struct PdfPage {
    double width = 0, height = 0;
    QList<PdfWord> words;
};

// Reads a PDF back with poppler's pdftotext: page sizes and word boxes in points, origin at
// the top-left of the page.
inline QList<PdfPage> ReadPdf(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    QList<PdfPage> pages;
    static const QRegularExpression pageOrWord(QStringLiteral(
        R"re(<page width="([\d.]+)" height="([\d.]+)">|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (auto it = pageOrWord.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            pages.append({m.captured(1).toDouble(), m.captured(2).toDouble(), {}});
        } else if (!pages.isEmpty()) {
            pages.last().words.append({m.captured(3).toDouble(), m.captured(4).toDouble(), m.captured(5).toDouble(),
                                       m.captured(6).toDouble(), m.captured(7)});
        }
    }
    return pages;
}

} // namespace kestrio::test
