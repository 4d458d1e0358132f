#pragma once

#include "SheetReader.h"

#include <QByteArray>
#include <QStringConverter>

namespace kestrio {

// Comma-separated files by RFC 4180, read as a stream. A field that begins with a double quote
// is quoted: it ends at the next lone double quote, protects commas and line breaks (kept as the
// file has them) and holds two double quotes for one; its closing quote must be followed by a
// comma or the line end. A double quote inside an unquoted field is a character like any other.
// A quote that never closes, or closes before more text, stops the reading with its line
// number; so do a field, a line or a file larger than the ceilings below.
//
// The text is decoded by its byte-order mark (UTF-8, UTF-16, UTF-32); a file without one that
// holds NUL bytes is UTF-16 when they fall on every other byte, else no text at all; the rest
// is UTF-8 when it is valid UTF-8, else GB18030.
class CsvReader final : public SheetReader {
public:
    static constexpr qsizetype kLongestField = 1024 * 1024;    // characters
    static constexpr qsizetype kLongestRecord = 4 * 1024 * 1024; // characters
    static constexpr qint64 kLargestFile = 256LL * 1024 * 1024;  // bytes

    bool Open(const QString& path) override;
    QStringList SheetNames() const override { return {}; }
    bool ReadRows(const QString& sheet, int maxRows, SourceRows& rows) override;

    // The encoding of a file that starts with `head`: false with `problem` set when it is no text.
    static bool DetectEncoding(const QByteArray& head, QStringConverter::Encoding& encoding, int& bomSize,
                               QString& problem);
    // The whole of `bytes` decoded as a file would be (for small texts and tests).
    static QString Decode(const QByteArray& bytes);
    // Splits `text` into at most `maxRows` records (0 = all); false with `error` set
    // ("第3行：引号不成对") when it breaks the rules above.
    static bool Parse(QStringView text, int maxRows, SourceRows& rows, QString& error);

private:
    QString mPath;
    QStringConverter::Encoding mEncoding = QStringConverter::Utf8;
    bool mGb18030 = false;
    int mBomSize = 0;
};

} // namespace kestrio
