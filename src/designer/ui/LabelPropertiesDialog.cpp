#include "designer/ui/LabelPropertiesDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>

namespace kestrio {

LabelPropertiesDialog::LabelPropertiesDialog(AppContext& app, FormatDocument& document, int row, QWidget* parent)
    : PropertyDialog(app, document, row, QStringLiteral("标签属性修改"), parent)
{
    setObjectName(QStringLiteral("EditLabel"));
    auto* fields = new QGridLayout;
    AddField(fields, 0, 0, EditorModel::Label, QStringLiteral("内容："), &EditorModel::Values::label, 3);
    AddPlacement(fields, 1, true);
    AddField(fields, 3, 0, EditorModel::Spacing, QStringLiteral("字间距："), &EditorModel::Values::spacing);
    AddField(fields, 3, 2, EditorModel::LineSpacing, QStringLiteral("行间距："), &EditorModel::Values::lineSpacing);
    LayOutFieldsAndGroup(fields, BuildAlignment());
}

} // namespace kestrio
