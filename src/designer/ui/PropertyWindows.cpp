#include "designer/ui/PropertyWindows.h"

#include "designer/ui/CheckBoxPropertiesDialog.h"
#include "designer/ui/LabelPropertiesDialog.h"
#include "designer/ui/LinePropertiesDialog.h"
#include "designer/ui/PictureBoxPropertiesDialog.h"
#include "designer/ui/TextBoxPropertiesDialog.h"
#include "format/ElementTable.h"
#include "format/FormatDocument.h"

#include <memory>

namespace kestrio {

namespace {

std::unique_ptr<PropertyDialog> WindowFor(AppContext& app, FormatDocument& document, int row, QWidget* parent)
{
    switch (document.Table().KindOf(row)) {
    case ElementTable::TextBox: return std::make_unique<TextBoxPropertiesDialog>(app, document, row, parent);
    case ElementTable::CheckBox: return std::make_unique<CheckBoxPropertiesDialog>(app, document, row, parent);
    case ElementTable::PictureBox: return std::make_unique<PictureBoxPropertiesDialog>(app, document, row, parent);
    case ElementTable::Line: return std::make_unique<LinePropertiesDialog>(app, document, row, parent);
    case ElementTable::Label: return std::make_unique<LabelPropertiesDialog>(app, document, row, parent);
    default: return nullptr;
    }
}

} // namespace

bool EditElementProperties(AppContext& app, FormatDocument& document, int row, QWidget* parent)
{
    if (!document.Table().IsDataRow(row)) return false;
    const std::unique_ptr<PropertyDialog> window = WindowFor(app, document, row, parent);
    if (!window) return false;
    window->exec();
    return window->Saved();
}

} // namespace kestrio
