#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace kestrio {

// Makes the text of a written PDF read back as it was typed. Qt names each glyph in a font's
// ToUnicode map by the lowest code point the font maps to it, and the CJK fonts share the
// glyphs of common ideographs (角 月 日 行 支 人 长 …) with their Kangxi and supplementary
// radicals, which come first: copied text then holds radicals instead of the characters
// printed. The maps are rewritten so that a radical is read as its unified ideograph.
class PdfTextRepair {
public:
    // The unified ideograph a Kangxi radical (U+2F00–U+2FD5) or a CJK radicals supplement
    // character (U+2E80–U+2EF3) stands for; 0 for any other code point.
    static char32_t UnifiedIdeograph(char32_t codePoint);

    // One ToUnicode CMap with every radical target replaced by its ideograph.
    static QByteArray RepairCMap(const QByteArray& cmap);

    // The whole PDF with its ToUnicode maps repaired; nullopt (and the reason in `error`)
    // when it cannot be read.
    static std::optional<QByteArray> Repair(const QByteArray& pdf, QString* error = nullptr);

    // Repairs a PDF file in place; the file is replaced whole or left as it was.
    static bool RepairFile(const QString& path, QString* error = nullptr);
};

} // namespace kestrio
