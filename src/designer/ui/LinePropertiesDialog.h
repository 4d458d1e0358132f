#pragma once

#include "designer/ui/PropertyDialog.h"

class QComboBox;

namespace kestrio {

// "线条属性修改": a line's two ends in millimetres (X, Y and W, H), its width "粗细：" (fSize),
// its style "线型：" (Cash, each entry drawn as a sample in the line's colour) and its colour.
class LinePropertiesDialog final : public PropertyDialog {
    Q_OBJECT

public:
    LinePropertiesDialog(AppContext& app, FormatDocument& document, int row, QWidget* parent = nullptr);

private:
    void ShowFont() override;

    QComboBox* mStyles = nullptr;
};

} // namespace kestrio
