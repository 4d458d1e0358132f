#pragma once

#include "designer/ui/PropertyDialog.h"

namespace kestrio {

// "标签属性修改": a fixed label's text, position, size, character spacing, line spacing with
// its alignment, and its font.
class LabelPropertiesDialog final : public PropertyDialog {
    Q_OBJECT

public:
    LabelPropertiesDialog(AppContext& app, FormatDocument& document, int row, QWidget* parent = nullptr);
};

} // namespace kestrio
