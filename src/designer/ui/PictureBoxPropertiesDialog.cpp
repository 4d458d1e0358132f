#include "designer/ui/PictureBoxPropertiesDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace kestrio {

PictureBoxPropertiesDialog::PictureBoxPropertiesDialog(AppContext& app, FormatDocument& document, int row, QWidget* parent)
    : PropertyDialog(app, document, row, QStringLiteral("添加/修改图像框"), parent)
{
    setObjectName(QStringLiteral("EditPicture"));
    auto* fields = new QGridLayout;
    AddPlacement(fields, 0, true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(BuildCaptionPosition());
    layout->addLayout(BuildFontButtons());
    layout->addLayout(BuildButtons());
}

} // namespace kestrio
