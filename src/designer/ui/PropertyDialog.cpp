#include "designer/ui/PropertyDialog.h"

#include "app/AppContext.h"
#include "designer/ui/LabelPositionPreview.h"
#include "format/FormatDocument.h"
#include "print/PrintSurface.h"
#include "seams/Prompter.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kestrio {

namespace {

// The control name of each text field, the same in every window that has it.
QString FieldName(EditorModel::Field field)
{
    switch (field) {
    case EditorModel::Label: return QStringLiteral("TT0");
    case EditorModel::X: return QStringLiteral("TT1");
    case EditorModel::Y: return QStringLiteral("TT2");
    case EditorModel::Width: return QStringLiteral("TT3");
    case EditorModel::Height: return QStringLiteral("TT4");
    case EditorModel::Spacing: return QStringLiteral("TT5");
    case EditorModel::LineSpacing: return QStringLiteral("TT6");
    case EditorModel::LineWidth: return QStringLiteral("LineWidth");
    default: return {};
    }
}

QPushButton* NamedButton(const QString& caption, const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

PropertyDialog::PropertyDialog(AppContext& app, FormatDocument& document, int row, const QString& title, QWidget* parent)
    : QDialog(parent), mApp(app), mDocument(document), mModel(EditorModel::Load(document, row))
{
    setWindowTitle(title);
}

bool PropertyDialog::Confirm()
{
    const int before = mDocument.UndoStack().index();
    QString error;
    if (!mModel.Save(mDocument, &error)) {
        mApp.Prompt().Message(error, Prompter::Icon::Warning);
        return false;
    }
    mSaved = mSaved || mDocument.UndoStack().index() != before;
    return true;
}

QLineEdit* PropertyDialog::AddField(QGridLayout* grid, int gridRow, int gridColumn, EditorModel::Field field,
                                    const QString& caption, QString EditorModel::Values::*member, int span)
{
    auto* edit = new QLineEdit(mModel.Shown().*member, this);
    edit->setObjectName(FieldName(field));
    auto* label = new QLabel(caption, this);
    label->setBuddy(edit);
    grid->addWidget(label, gridRow, gridColumn, Qt::AlignRight);
    grid->addWidget(edit, gridRow, gridColumn + 1, 1, span);
    mModel.SetFieldCaption(field, caption);
    connect(edit, &QLineEdit::textEdited, this, [this, field, member](const QString& text) {
        mModel.Edit().*member = text;
        mModel.MarkChanged(field);
    });
    mFields.insert(field, edit);
    return edit;
}

void PropertyDialog::AddPlacement(QGridLayout* grid, int firstRow, bool withSize)
{
    AddField(grid, firstRow, 0, EditorModel::X, QStringLiteral("横向坐标："), &EditorModel::Values::x);
    AddField(grid, firstRow, 2, EditorModel::Y, QStringLiteral("纵向坐标："), &EditorModel::Values::y);
    if (!withSize) return;
    AddField(grid, firstRow + 1, 0, EditorModel::Width, QStringLiteral("宽："), &EditorModel::Values::width);
    AddField(grid, firstRow + 1, 2, EditorModel::Height, QStringLiteral("高："), &EditorModel::Values::height);
}

QGroupBox* PropertyDialog::BuildCaptionPosition()
{
    auto* group = new QGroupBox(QStringLiteral("标签位置"), this);
    auto* layout = new QGridLayout(group);
    mPreview = new LabelPositionPreview(group);
    mPreview->SetCaption(mModel.Shown().label);
    mPreview->SetPosition(mModel.Shown().captionPosition);
    static const char16_t* const captions[] = {u"控件上边", u"控件左边", u"控件右边", u"控件下边"};
    auto* buttons = new QButtonGroup(group);
    for (int i = 0; i < 4; ++i) {
        auto* button = new QRadioButton(QString::fromUtf16(captions[i]), group);
        button->setObjectName(QStringLiteral("POS%1").arg(i));
        button->setChecked(i == mModel.Shown().captionPosition);
        buttons->addButton(button, i);
        layout->addWidget(button, i, 0);
    }
    layout->addWidget(mPreview, 0, 1, 4, 1);
    connect(buttons, &QButtonGroup::idClicked, this, [this](int position) {
        mModel.Edit().captionPosition = position;
        mModel.MarkChanged(EditorModel::CaptionPosition);
        mPreview->SetPosition(position);
    });
    return group;
}

QGroupBox* PropertyDialog::BuildAlignment()
{
    auto* group = new QGroupBox(QStringLiteral("排版方式"), this);
    auto* layout = new QHBoxLayout(group);
    mAlignment = new QButtonGroup(group);
    static const char16_t* const captions[] = {u"居左", u"居右", u"居中"};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QRadioButton(QString::fromUtf16(captions[i]), group);
        button->setObjectName(QStringLiteral("OpA%1").arg(i));
        button->setChecked(i == mModel.Shown().alignment);
        mAlignment->addButton(button, i);
        layout->addWidget(button);
    }
    connect(mAlignment, &QButtonGroup::idClicked, this, [this](int alignment) {
        mModel.Edit().alignment = alignment;
        mModel.MarkChanged(EditorModel::Alignment);
        ShowFont();
    });
    return group;
}

QHBoxLayout* PropertyDialog::BuildFontButtons(bool withFont)
{
    auto* row = new QHBoxLayout;
    if (withFont) {
        QPushButton* font = NamedButton(QStringLiteral("字体  设置"), QStringLiteral("Com2"), this);
        connect(font, &QPushButton::clicked, this, &PropertyDialog::OnFontClicked);
        row->addWidget(font);
    }
    QPushButton* colour = NamedButton(QStringLiteral("颜色设置"), QStringLiteral("ColorButton"), this);
    connect(colour, &QPushButton::clicked, this, &PropertyDialog::OnColourClicked);
    row->addWidget(colour);
    row->addStretch();
    return row;
}

QHBoxLayout* PropertyDialog::BuildButtons()
{
    auto* row = new QHBoxLayout;
    QPushButton* ok = NamedButton(QStringLiteral("确  定"), QStringLiteral("Com0"), this);
    QPushButton* cancel = NamedButton(QStringLiteral("取  消"), QStringLiteral("Com1"), this);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (Confirm()) accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

void PropertyDialog::LayOutFieldsAndGroup(QGridLayout* fields, QWidget* group)
{
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(group);
    layout->addLayout(BuildFontButtons());
    layout->addLayout(BuildButtons());
}

QFont PropertyDialog::ShownFont() const
{
    const Element& values = mModel.Shown().font;
    QFont font(values.fontName);
    if (values.fontSize > 0) font.setPointSizeF(values.fontSize);
    font.setBold(values.bold);
    font.setItalic(values.italic);
    font.setUnderline(values.underline);
    font.setStrikeOut(values.strikeout);
    return font;
}

void PropertyDialog::ChooseFont(const QFont& font)
{
    Element& values = mModel.Edit().font;
    values.fontName = font.family();
    if (font.pointSizeF() > 0) values.fontSize = font.pointSizeF();
    values.bold = font.bold();
    values.italic = font.italic();
    values.underline = font.underline();
    values.strikeout = font.strikeOut();
    mModel.MarkChanged(EditorModel::Font);
    ShowFont();
}

void PropertyDialog::ChooseColour(int bgr)
{
    mModel.Edit().font.color = bgr;
    mModel.MarkChanged(EditorModel::Font);
    ShowFont();
}

void PropertyDialog::OnFontClicked()
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, ShownFont(), this, QStringLiteral("字体"));
    if (ok) ChooseFont(font);
}

void PropertyDialog::OnColourClicked()
{
    const QColor shown = PrintSurface::ColorFromBgr(static_cast<quint32>(mModel.Shown().font.color));
    const QColor colour = QColorDialog::getColor(shown, this, QStringLiteral("颜色"));
    if (colour.isValid()) ChooseColour(colour.red() | (colour.green() << 8) | (colour.blue() << 16));
}

} // namespace kestrio
