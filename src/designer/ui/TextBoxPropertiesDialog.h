#pragma once

#include "designer/ui/PropertyDialog.h"

#include <QList>

class QCheckBox;
class QComboBox;
class QLabel;

namespace kestrio {

// "添加/修改控件": a text box's label, position, size, spacings, font and alignment, caption
// position, data type (CMB with the cell count CashNum under its caption LCode, and "自定义"
// for the custom date pattern kept in the parameter store), related boxes RCtl0/RCtl1 with
// "相同"/"相关", and accumulation boxes CSUM/CSUM1 with "累加"/"累乘" and "取负".
class TextBoxPropertiesDialog final : public PropertyDialog {
    Q_OBJECT

public:
    TextBoxPropertiesDialog(AppContext& app, FormatDocument& document, int row, QWidget* parent = nullptr);

    // Chooses the data-type entry of that code as the clerk would; false when there is none.
    bool ChooseDataType(int baseCode);

private:
    QGroupBox* BuildDataType();
    QGroupBox* BuildRelations(bool sums);
    QWidget* BuildRelationRow(bool sum, int which, QWidget* parent);
    EditorModel::Relation& Relation(bool sum, int which);
    void OnDataTypeChosen(int index);
    void OnCustomClicked();
    void ShowDataType();
    void ShowRelations();
    void ShowFont() override;

    QLineEdit* mSample = nullptr;
    QComboBox* mDataTypes = nullptr;
    QLineEdit* mCellCount = nullptr;
    QLabel* mCellCaption = nullptr;
    QPushButton* mCustom = nullptr;
    QList<qint64> mRelationIds;
    // What each same/related choice does, under the choices.
    QLabel* mRelationLines[2] = {nullptr, nullptr};
};

} // namespace kestrio
