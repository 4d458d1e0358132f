#include "PrintFonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace kestrio {

namespace {

// Qt keeps substitutes in lower case; a name already mapped to the family is left alone.
void Substitute(const QString& name, const QString& family)
{
    if (family.isEmpty()) return;
    if (!QFont::substitutes(name).contains(family, Qt::CaseInsensitive)) QFont::insertSubstitution(name, family);
}

} // namespace

QString PrintFonts::KaiFamily()
{
    const QStringList installed = QFontDatabase::families();
    for (const char16_t* family : {u"AR PL UKai CN", u"AR PL KaitiM GB", u"AR PL UKai TW"}) {
        const QString name = QString::fromUtf16(family);
        if (installed.contains(name)) return name;
    }
    return {};
}

void PrintFonts::RegisterSubstitutions()
{
    // The font database does not change while the program runs.
    static bool registered = false;
    if (registered) return;
    registered = true;
    for (const char16_t* name : {u"宋体", u"新宋体", u"仿宋", u"仿宋_GB2312", u"宋体-18030"})
        Substitute(QString::fromUtf16(name), SerifFamily());
    for (const char16_t* name : {u"黑体", u"微软雅黑"}) Substitute(QString::fromUtf16(name), SansFamily());
    // The Kai face first; the serif stands in where it is missing.
    for (const char16_t* name : {u"楷体", u"楷体_GB2312"}) {
        Substitute(QString::fromUtf16(name), KaiFamily());
        Substitute(QString::fromUtf16(name), SerifFamily());
    }
}

} // namespace kestrio
