#include "FormatNameRule.h"

#include "images/BackgroundImages.h"
#include "storage/DbOperate.h"

namespace kestrio {

QString FormatNameRule::TooLongText()
{
    return QStringLiteral("格式名称不能超过%1个字符，请换一个名称！").arg(kLongestName);
}

QString FormatNameRule::SharedBackgroundText(const QString& otherFormat)
{
    return QStringLiteral("格式名称与“") + otherFormat + QStringLiteral("”的底图文件相同，请换一个名称！");
}

QString FormatNameRule::Refusal(DbOperate& db, const QString& name)
{
    if (name.size() > kLongestName) return TooLongText();
    const QString file = BackgroundImages::SafeName(name);
    Recordset names = db.Db().Query(QStringLiteral("SELECT DISTINCT Fmt FROM Fmt WHERE Fmt<>''"));
    for (; !names.Eof(); names.MoveNext()) {
        const QString other = names.Text(0);
        if (other != name && BackgroundImages::SafeName(other) == file) return SharedBackgroundText(other);
    }
    return {};
}

} // namespace kestrio
