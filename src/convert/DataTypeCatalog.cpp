#include "DataTypeCatalog.h"

#include <cmath>

namespace kestrio {

QStringList DataTypeCatalog::Entries(const QString& customPattern)
{
    return {QStringLiteral("000｜普通文本"),
            QStringLiteral("100｜年(中文)"),
            QStringLiteral("101｜月(中文)"),
            QStringLiteral("102｜日(中文)"),
            QStringLiteral("103｜大写金额(元)"),
            QStringLiteral("120｜大写金额(圆)"),
            QStringLiteral("104｜小写金额(不对格)(有￥)"),
            QStringLiteral("105｜小写金额(不对格)(无￥)"),
            QStringLiteral("117｜小写金额(不对格)(无￥无逗号)"),
            QStringLiteral("118｜小写金额(不对格)(有￥无逗号)"),
            QStringLiteral("011｜小写金额(对格 有￥)"),
            QStringLiteral("311｜小写金额(对格 无￥)"),
            QStringLiteral("211｜数字(对格)"),
            QStringLiteral("106｜年(阿拉伯)"),
            QStringLiteral("107｜月(阿拉伯)"),
            QStringLiteral("108｜日(阿拉伯)"),
            QStringLiteral("109｜邮编"),
            QStringLiteral("110｜日期：YYYY年MM月DD日"),
            QStringLiteral("111｜日期：YYYY-MM-DD"),
            QStringLiteral("112｜日期：MM年DD月"),
            QStringLiteral("113｜日期：MM-DD"),
            QStringLiteral("119｜自定义日期：") + customPattern,
            QStringLiteral("114｜大写金额(仅数字)"),
            QStringLiteral("121｜大写金额(仅数字,无角分)"),
            QStringLiteral("115｜只打√"),
            QStringLiteral("116｜百分数"),
            QStringLiteral("122｜自动编号")};
}

int DataTypeCatalog::EntryBaseFor(double code)
{
    const int w = static_cast<int>(std::trunc(code));
    if (w >= 1 && w <= 99) return 11;
    if (w >= 201 && w <= 300) return 211;
    if (w >= 301 && w <= 399) return 311;
    return w;
}

int DataTypeCatalog::CellCountOf(double code)
{
    const int w = static_cast<int>(std::trunc(code));
    if (w >= 1 && w <= 99) return w;
    if (w >= 201 && w <= 299) return w - 200;
    if (w >= 301 && w <= 399) return w - 300;
    if (w == 114 || w == 121) return static_cast<int>(std::trunc((code - w + 0.0001) * 100));
    return 0;
}

QString DataTypeCatalog::CellCountCaption(int baseCode)
{
    switch (baseCode) {
    case 11:
        return QStringLiteral("小写金额格数：");
    case 211:
    case 311:
        return QStringLiteral("数字格数：");
    case 114:
    case 121:
        return QStringLiteral("大写金额位数：");
    default:
        return QStringLiteral("数据类型代码：");
    }
}

double DataTypeCatalog::ComposeCode(int baseCode, int cells)
{
    if (cells < 1 || cells > 99) cells = 11;
    switch (baseCode) {
    case 11:
        return cells;
    case 211:
        return cells + 200;
    case 311:
        return cells + 300;
    case 114:
    case 121:
        return baseCode + cells / 100.0;
    default:
        return baseCode;
    }
}

} // namespace kestrio
