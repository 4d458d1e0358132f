#pragma once

#include "SheetReader.h"

#include <QByteArray>

namespace kestrio {

// Comma-separated files as spreadsheet programs write them. A field may be enclosed in double
// quotes, which protect commas and line breaks; two double quotes stand for one. A quoted
// field that runs over several lines keeps a CR LF for each line end. The text is decoded by
// its byte-order mark (UTF-8, UTF-16), else as UTF-8 when it is valid UTF-8, else as GB18030.
class CsvReader final : public SheetReader {
public:
    bool Open(const QString& path) override;
    QStringList SheetNames() const override { return {}; }
    bool ReadRows(const QString& sheet, int maxRows, SourceRows& rows) override;

    static QString Decode(const QByteArray& bytes);
    // Splits the text into records and fields. When the text ends inside a quoted field the
    // record is kept with what was read and `unfinishedLine` (from 1) says where it began,
    // else it is set to 0.
    static SourceRows Parse(const QString& text, int maxRows, int* unfinishedLine = nullptr);

private:
    QString mText;
};

} // namespace kestrio
