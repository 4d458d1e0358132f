#pragma once

class QWidget;

namespace kestrio {

class AppContext;
class FormatDocument;

// Opens the property window of the element in that row of the element table — "添加/修改控件"
// for a text box, "修改可选框属性", "添加/修改图像框", "线条属性修改" or "标签属性修改" for the
// other kinds — and runs it modally. True when its "确  定" changed the format (one undo step).
// The caller refreshes the box afterwards (the leave-box handling of the canvas).
bool EditElementProperties(AppContext& app, FormatDocument& document, int row, QWidget* parent);

} // namespace kestrio
