#pragma once

#include "designer/EditorModel.h"

#include <QDialog>
#include <QHash>

#include <array>

class QAbstractButton;
class QButtonGroup;
class QFont;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLineEdit;
class QPushButton;

namespace kestrio {

class AppContext;
class FormatDocument;
class LabelPositionPreview;

// What the five property windows share: the row is loaded into an EditorModel, every field
// marks its change as it is edited, and "确  定" saves the marked fields to the edited element
// and the selected elements of its kind as one undo step. A field that is not a number is
// refused with the model's message and the window stays open with nothing written.
class PropertyDialog : public QDialog {
    Q_OBJECT

public:
    // The text field of a model field (null when the window has none).
    QLineEdit* Field(EditorModel::Field field) const { return mFields.value(field); }
    const EditorModel& Model() const { return mModel; }
    // Saves; false when the model refused (the message was shown).
    bool Confirm();
    // True once a confirm changed the format.
    bool Saved() const { return mSaved; }

    // The font and colour the window will write, as chosen in the font or colour dialog.
    void ChooseFont(const QFont& font);
    void ChooseColour(int bgr);

protected:
    PropertyDialog(AppContext& app, FormatDocument& document, int row, const QString& title, QWidget* parent);

    AppContext& App() { return mApp; }
    FormatDocument& Document() { return mDocument; }
    EditorModel& Editable() { return mModel; }

    // A captioned text field on `grid` bound to one member of the model's values; editing it
    // marks the field. Its object name is the control name of the field (TT0 … TT6).
    QLineEdit* AddField(QGridLayout* grid, int gridRow, int gridColumn, EditorModel::Field field,
                        const QString& caption, QString EditorModel::Values::*member, int span = 1);
    // "横向坐标：", "纵向坐标：" (TT1, TT2) from `firstRow` and, `withSize`, "宽：", "高：" (TT3,
    // TT4) below them.
    void AddPlacement(QGridLayout* grid, int firstRow, bool withSize);
    // The label-position buttons POS0–POS3 with the preview of where the caption sits.
    QGroupBox* BuildCaptionPosition();
    // "排版方式": OpA0 "居左", OpA1 "居右", OpA2 "居中".
    QGroupBox* BuildAlignment();
    // "字体  设置" (Com2, when `withFont`) and "颜色设置" (ColorButton) in one row.
    QHBoxLayout* BuildFontButtons(bool withFont = true);
    // "确  定" (Com0) and "取  消" (Com1).
    QHBoxLayout* BuildButtons();

    // The window of the smaller kinds: the fields, one group below them, the font buttons and
    // "确  定" / "取  消".
    void LayOutFieldsAndGroup(QGridLayout* fields, QWidget* group);

    LabelPositionPreview* Preview() const { return mPreview; }
    QButtonGroup* AlignmentButtons() const { return mAlignment; }
    // The font of the values, at its stored size, for samples.
    QFont ShownFont() const;
    // Called after the font or colour changed and after the alignment changed.
    virtual void ShowFont() {}

private:
    void OnFontClicked();
    void OnColourClicked();

    AppContext& mApp;
    FormatDocument& mDocument;
    EditorModel mModel;
    QHash<int, QLineEdit*> mFields;
    LabelPositionPreview* mPreview = nullptr;
    QButtonGroup* mAlignment = nullptr;
    bool mSaved = false;
};

} // namespace kestrio
