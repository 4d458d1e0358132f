#pragma once

#include "designer/ui/PropertyDialog.h"

namespace kestrio {

// "添加/修改图像框": a picture box's position and size, caption position and font. The canvas
// reloads each changed picture from its file when the rows change.
class PictureBoxPropertiesDialog final : public PropertyDialog {
    Q_OBJECT

public:
    PictureBoxPropertiesDialog(AppContext& app, FormatDocument& document, int row, QWidget* parent = nullptr);
};

} // namespace kestrio
