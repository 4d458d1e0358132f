#include "designer/ui/PictureBoxPropertiesDialog.h"

#include <QGridLayout>
#include <QGroupBox>

namespace kestrio {

PictureBoxPropertiesDialog::PictureBoxPropertiesDialog(AppContext& app, FormatDocument& document, int row, QWidget* parent)
    : PropertyDialog(app, document, row, QStringLiteral("添加/修改图像框"), parent)
{
    setObjectName(QStringLiteral("EditPicture"));
    auto* fields = new QGridLayout;
    AddPlacement(fields, 0, true);
    LayOutFieldsAndGroup(fields, BuildCaptionPosition());
}

} // namespace kestrio
