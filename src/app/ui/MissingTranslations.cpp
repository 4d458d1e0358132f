#include "MissingTranslations.h"

#include <cstring>

namespace kestrio {

QString MissingTranslations::translate(const char* context, const char* sourceText, const char*, int) const
{
    if (!context || !sourceText) return {};
    static const struct {
        const char* context;
        const char* source;
        const char16_t* chinese;
    } known[] = {
        {"QAbstractFileIconProvider", "Folder", u"文件夹"},
        {"QAbstractFileIconProvider", "Drive", u"驱动器"},
        {"QAbstractFileIconProvider", "File", u"文件"},
        {"QAbstractFileIconProvider", "%1 File", u"%1 文件"},
        {"QFileSystemModel", "Folder", u"文件夹"},
        {"QFileSystemModel", "Drive", u"驱动器"},
        {"QFileSystemModel", "%1 File", u"%1 文件"},
        {"QFileSystemModel", "File", u"文件"},
    };
    for (const auto& entry : known)
        if (std::strcmp(context, entry.context) == 0 && std::strcmp(sourceText, entry.source) == 0)
            return QString::fromUtf16(entry.chinese);
    return {};
}

} // namespace kestrio
