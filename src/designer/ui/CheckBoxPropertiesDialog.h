#pragma once

#include "designer/ui/PropertyDialog.h"

namespace kestrio {

// "修改可选框属性": a check box's position (its size follows its font), caption position and font.
class CheckBoxPropertiesDialog final : public PropertyDialog {
    Q_OBJECT

public:
    CheckBoxPropertiesDialog(AppContext& app, FormatDocument& document, int row, QWidget* parent = nullptr);
};

} // namespace kestrio
