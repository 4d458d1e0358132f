#pragma once

#include "designer/EditorModel.h"

#include <QString>

namespace kestrio {

class ElementTable;

// What a text box's same/related choice (RCtl, RCtl1) does, in the words the property window
// shows under the choice: a fixed explanation, one live line per relation, and a warning
// when "相关" can never fill the other box.
class RelationText {
public:
    static QString Explanation();

    // "小写金额 → 大写金额：内容相同（按各自数据类别转换）"; empty when no box is chosen.
    static QString Line(const ElementTable& table, int row, const EditorModel::Relation& relation);

    // Why the relation in `slot` (0 RCtl, 1 RCtl1) of the box in `row`, with the window's data
    // type `cash` and its two relations, can never fill the other box; empty when it can or is
    // not "相关". When the box is left, the related fill looks up the newest bill in which
    // this box held the value it reads back, then copies the other box from that bill. It
    // never fills when
    // - the box is a capital amount: it reads back a number, but bills hold its capital text;
    // - the other slot is "相关" too and is the one followed (RCtl1 before RCtl);
    // - the other box is on this box's same-content ring: it already holds the value in its
    //   own data type, the same that any earlier bill with this value holds.
    static QString NeverFills(const ElementTable& table, int row, double cash, const EditorModel::Relation related[2],
                              int slot);
};

} // namespace kestrio
