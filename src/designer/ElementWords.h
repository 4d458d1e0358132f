#pragma once

#include <QString>

namespace kestrio {

class ElementTable;

// The element table in words, for the page 输入框列表: a data type as its code and name
// ("103 大写金额(元)"), a relation as the kind and the other box's caption, line spacing in
// millimetres with the alignment, font sizes in points. Only what is shown; the stored
// values (and `show-format`) stay as they are.
class ElementWords {
public:
    // One cell of a data row in words; columns without another wording show the stored text.
    static QString Cell(const ElementTable& table, int row, int col);

    // "103 大写金额(元)", "11 小写金额(对格 有￥)，11格", "114.08 大写金额(仅数字)，8位"; an
    // unknown code shows the code alone.
    static QString DataType(double cash);
    // A line's style number: "2 虚线" (0 prints solid, as 1).
    static QString LineStyle(double cash);
    // RCtl/RCtl1: "相同：大写金额", "相关：收款人"; empty for 0.
    static QString Link(const ElementTable& table, double stored);
    // SumID/SumID1: "累加至：合计", "累乘至：合计（取负）"; empty for 0.
    static QString Sum(const ElementTable& table, double stored);
    // The caption of the box with this ID, "输入框 ID" when it has none, "（没有 ID 号输入框）"
    // when the format has no such box.
    static QString Caption(const ElementTable& table, qint64 id);
};

} // namespace kestrio
