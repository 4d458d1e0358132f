#include "designer/ui/CheckBoxPropertiesDialog.h"

#include <QGridLayout>
#include <QGroupBox>

namespace kestrio {

CheckBoxPropertiesDialog::CheckBoxPropertiesDialog(AppContext& app, FormatDocument& document, int row, QWidget* parent)
    : PropertyDialog(app, document, row, QStringLiteral("修改可选框属性"), parent)
{
    setObjectName(QStringLiteral("EditCheck"));
    auto* fields = new QGridLayout;
    AddPlacement(fields, 0, false);
    LayOutFieldsAndGroup(fields, BuildCaptionPosition());
}

} // namespace kestrio
