#pragma once

#include <QString>

#include <optional>

namespace kestrio {

// The print offsets of a format: millimetres by which everything printed moves right and
// down. They calibrate the printer against the paper, so a typo must not silently become 0
// and an offset must not push the whole bill off the paper.
class PrintOffsets {
public:
    // A plain number of millimetres: optional sign, digits, at most one decimal point; blanks
    // around it and full-width digits, "．" and "－" are read too. Empty text is 0. Anything
    // else (letters, a second point, an exponent) is nullopt.
    static std::optional<double> Parse(const QString& text);

    // Empty when both offsets can be used for a bill of widthMm × heightMm, else the message
    // that says why not.
    static QString Check(const QString& offsetX, const QString& offsetY, double widthMm, double heightMm);

    // The offset in its shortest plain form ("2.50" → "2.5"); the text itself when unreadable.
    static QString Normalised(const QString& text);
};

} // namespace kestrio
