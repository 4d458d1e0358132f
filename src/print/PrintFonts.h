#pragma once

#include <QString>

namespace kestrio {

// The Windows font names the formats carry, mapped to the installed simplified-Chinese faces,
// so that every way of printing (window, preview, command line, batch) draws the same glyphs:
// 宋体, 新宋体, 仿宋 → Noto Serif CJK SC; 黑体, 微软雅黑 → Noto Sans CJK SC; 楷体 → a Kai face
// when one is installed, else the serif. Without this, fontconfig picks a Japanese face for the
// ideographs and a Latin face for the digits.
class PrintFonts {
public:
    // Safe to call more than once; needs a QGuiApplication.
    static void RegisterSubstitutions();

    // The installed Kai face for 楷体, or empty.
    static QString KaiFamily();

    static QString SerifFamily() { return QStringLiteral("Noto Serif CJK SC"); }
    static QString SansFamily() { return QStringLiteral("Noto Sans CJK SC"); }
};

} // namespace kestrio
