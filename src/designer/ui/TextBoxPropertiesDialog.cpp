#include "designer/ui/TextBoxPropertiesDialog.h"

#include "app/AppContext.h"
#include "convert/DataTypeCatalog.h"
#include "designer/RelationText.h"
#include "format/FormatDocument.h"
#include "designer/ui/LabelPositionPreview.h"
#include "print/PrintSurface.h"
#include "seams/Prompter.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kestrio {

namespace {

const QString kCustomMark = QStringLiteral("自定义");
// The width (pixels) the relation texts are wrapped at, at least.
constexpr int kNoteWidth = 420;

// A wrapped label keeps the height of all its lines: the layout alone would squeeze it.
void KeepAllLines(QLabel* label)
{
    label->setMinimumWidth(kNoteWidth);
    label->setMinimumHeight(label->heightForWidth(std::max(label->width(), kNoteWidth)));
}

QString CodeText(int baseCode)
{
    return QStringLiteral("%1").arg(baseCode, 3, 10, QLatin1Char('0'));
}

} // namespace

TextBoxPropertiesDialog::TextBoxPropertiesDialog(AppContext& app, FormatDocument& document, int row, QWidget* parent)
    : PropertyDialog(app, document, row, QStringLiteral("添加/修改控件"), parent)
{
    setObjectName(QStringLiteral("EditCtl"));
    auto* fields = new QGridLayout;
    QLineEdit* label = AddField(fields, 0, 0, EditorModel::Label, QStringLiteral("内容："), &EditorModel::Values::label, 3);
    label->setToolTip(QStringLiteral("输入框的提示标签内容。"));
    AddPlacement(fields, 1, true);
    AddField(fields, 3, 0, EditorModel::Spacing, QStringLiteral("字间距："), &EditorModel::Values::spacing);
    AddField(fields, 3, 2, EditorModel::LineSpacing, QStringLiteral("行间距："), &EditorModel::Values::lineSpacing);
    mSample = new QLineEdit(QStringLiteral("示例文字 123"), this);
    mSample->setObjectName(QStringLiteral("TT7"));
    mSample->setReadOnly(true);
    mSample->setFocusPolicy(Qt::NoFocus);
    fields->addWidget(mSample, 4, 0, 1, 4);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(BuildFontButtons());
    left->addWidget(BuildAlignment());
    left->addWidget(BuildCaptionPosition());
    left->addStretch();
    connect(label, &QLineEdit::textEdited, Preview(), &LabelPositionPreview::SetCaption);

    auto* right = new QVBoxLayout;
    right->addWidget(BuildDataType());
    right->addWidget(BuildRelations(false));
    right->addWidget(BuildRelations(true));
    right->addStretch();

    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(BuildButtons());
    ShowFont();
    ShowDataType();
}

QGroupBox* TextBoxPropertiesDialog::BuildDataType()
{
    auto* group = new QGroupBox(QStringLiteral("内容类别"), this);
    auto* grid = new QGridLayout(group);
    mDataTypes = new QComboBox(group);
    mDataTypes->setObjectName(QStringLiteral("CMB"));
    mDataTypes->setToolTip(QStringLiteral("选择输入框的数据类型。"));
    Params& params = App().Parameters();
    mDataTypes->addItems(EditorModel::DataTypeEntries(
        [&params](int code) { return params.GetParam(EditorModel::CustomTypeKey(code)); }));
    for (int i = 0; i < mDataTypes->count(); ++i)
        if (DataTypeCatalog::BaseCodeOf(mDataTypes->itemText(i)) == Model().Shown().baseCode) mDataTypes->setCurrentIndex(i);
    if (DataTypeCatalog::BaseCodeOf(mDataTypes->currentText()) != Model().Shown().baseCode) mDataTypes->setCurrentIndex(-1);
    mCellCaption = new QLabel(group);
    mCellCaption->setObjectName(QStringLiteral("LCode"));
    mCellCount = new QLineEdit(group);
    mCellCount->setObjectName(QStringLiteral("CashNum"));
    mCustom = new QPushButton(kCustomMark, group);
    mCustom->setObjectName(QStringLiteral("COM3"));
    mCustom->setAutoDefault(false);
    grid->addWidget(mDataTypes, 0, 0, 1, 3);
    grid->addWidget(mCellCaption, 1, 0);
    grid->addWidget(mCellCount, 1, 1);
    grid->addWidget(mCustom, 1, 2);
    connect(mDataTypes, &QComboBox::activated, this, &TextBoxPropertiesDialog::OnDataTypeChosen);
    connect(mCellCount, &QLineEdit::textEdited, this, [this](const QString& text) { Editable().SetCells(text.trimmed().toInt()); });
    // Leaving the field shows the count kept: one outside 1–99 became 11.
    connect(mCellCount, &QLineEdit::editingFinished, this, [this] { ShowDataType(); });
    connect(mCustom, &QPushButton::clicked, this, &TextBoxPropertiesDialog::OnCustomClicked);
    return group;
}

QGroupBox* TextBoxPropertiesDialog::BuildRelations(bool sums)
{
    auto* group = new QGroupBox(sums ? QStringLiteral("累加/乘至输入框") : QStringLiteral("内容相同/相关："), this);
    auto* layout = new QVBoxLayout(group);
    if (mRelationIds.isEmpty()) EditorModel::RelationEntries(Document(), Model().Row(), &mRelationIds);
    for (int which = 0; which < 2; ++which) layout->addWidget(BuildRelationRow(sums, which, group));
    if (sums) return group;
    auto* explanation = new QLabel(RelationText::Explanation(), group);
    explanation->setObjectName(QStringLiteral("RelationNote"));
    explanation->setWordWrap(true);
    QFont small = explanation->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    explanation->setFont(small);
    explanation->setStyleSheet(QStringLiteral("color: #555"));
    KeepAllLines(explanation);
    layout->addWidget(explanation);
    for (int which = 0; which < 2; ++which) {
        mRelationLines[which] = new QLabel(group);
        mRelationLines[which]->setObjectName(QStringLiteral("RelationLine%1").arg(which));
        mRelationLines[which]->setWordWrap(true);
        layout->addWidget(mRelationLines[which]);
    }
    ShowRelations();
    return group;
}

// One line per chosen relation, saying what it does, and in red why a "相关" never fills.
void TextBoxPropertiesDialog::ShowRelations()
{
    const ElementTable& table = Document().Table();
    const EditorModel::Values& shown = Model().Shown();
    const double cash = DataTypeCatalog::ComposeCode(shown.baseCode, shown.cells);
    for (int which = 0; which < 2; ++which) {
        if (!mRelationLines[which]) continue;
        const QString line = RelationText::Line(table, Model().Row(), shown.related[which]).toHtmlEscaped();
        const QString never = RelationText::NeverFills(table, Model().Row(), cash, shown.related, which).toHtmlEscaped();
        mRelationLines[which]->setText(never.isEmpty() ? line
                                                       : line + QStringLiteral("<br><span style=\"color:#c00000\">") +
                                                             never + QStringLiteral("</span>"));
        mRelationLines[which]->setVisible(!line.isEmpty());
        KeepAllLines(mRelationLines[which]);
    }
    // A warning takes lines of its own: the window grows to show it whole.
    if (isVisible()) adjustSize();
}

EditorModel::Relation& TextBoxPropertiesDialog::Relation(bool sum, int which)
{
    return sum ? Editable().Edit().sum[which] : Editable().Edit().related[which];
}

// One relation: the list of the other text boxes (choices only), the two kinds as radio
// buttons and, for accumulations, "取负". Every part marks the relation changed.
QWidget* TextBoxPropertiesDialog::BuildRelationRow(bool sum, int which, QWidget* parent)
{
    const EditorModel::Field field =
        sum ? (which == 0 ? EditorModel::Sum1 : EditorModel::Sum2) : (which == 0 ? EditorModel::Related1 : EditorModel::Related2);
    const EditorModel::Relation& shown = Relation(sum, which);
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* list = new QComboBox(row);
    list->setObjectName(sum ? (which == 0 ? QStringLiteral("CSUM") : QStringLiteral("CSUM1")) : QStringLiteral("RCtl%1").arg(which));
    list->addItems(EditorModel::RelationEntries(Document(), Model().Row(), nullptr));
    list->setCurrentIndex(std::max<qsizetype>(0, mRelationIds.indexOf(shown.id)));
    list->setMinimumContentsLength(16);
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    layout->addWidget(list, 1);
    connect(list, &QComboBox::activated, this, [this, sum, which, field](int index) {
        Relation(sum, which).id = mRelationIds.value(index);
        Editable().MarkChanged(field);
        ShowRelations();
    });
    auto* kinds = new QButtonGroup(row);
    const QString prefix = sum ? QStringLiteral("Op1_") : QStringLiteral("Op2_");
    const QStringList captions = sum ? QStringList{QStringLiteral("累加"), QStringLiteral("累乘")}
                                     : QStringList{QStringLiteral("相同"), QStringLiteral("相关")};
    for (int k = 0; k < 2; ++k) {
        auto* button = new QRadioButton(captions[k], row);
        button->setObjectName(prefix + QString::number(which * 2 + k));
        button->setChecked((k == 1) == shown.negative);
        kinds->addButton(button, k);
        layout->addWidget(button);
    }
    connect(kinds, &QButtonGroup::idClicked, this, [this, sum, which, field](int k) {
        Relation(sum, which).negative = k == 1;
        Editable().MarkChanged(field);
        ShowRelations();
    });
    if (sum) {
        auto* negate = new QCheckBox(QStringLiteral("取负"), row);
        negate->setObjectName(QStringLiteral("Chk%1").arg(which));
        negate->setChecked(shown.negate);
        layout->addWidget(negate);
        connect(negate, &QCheckBox::clicked, this, [this, which, field](bool checked) {
            Relation(true, which).negate = checked;
            Editable().MarkChanged(field);
        });
    }
    return row;
}

bool TextBoxPropertiesDialog::ChooseDataType(int baseCode)
{
    for (int i = 0; i < mDataTypes->count(); ++i) {
        if (DataTypeCatalog::BaseCodeOf(mDataTypes->itemText(i)) != baseCode) continue;
        mDataTypes->setCurrentIndex(i);
        OnDataTypeChosen(i);
        return true;
    }
    return false;
}

void TextBoxPropertiesDialog::OnDataTypeChosen(int index)
{
    if (index < 0) return;
    Editable().ChooseDataType(DataTypeCatalog::BaseCodeOf(mDataTypes->itemText(index)));
    ShowDataType();
}

void TextBoxPropertiesDialog::OnCustomClicked()
{
    const int index = mDataTypes->currentIndex();
    const QString entry = mDataTypes->itemText(index);
    if (index < 0 || !entry.contains(kCustomMark)) return;
    const int code = DataTypeCatalog::BaseCodeOf(entry);
    const QString key = EditorModel::CustomTypeKey(code);
    Params& params = App().Parameters();
    const std::optional<QString> answer = App().Prompt().Input(
        QStringLiteral("请输入自定义数据格式信息(类型编号") + CodeText(code) + QStringLiteral(")："), params.GetParam(key));
    if (!answer || answer->isEmpty() || !params.SetParam(key, *answer)) return;
    mDataTypes->setItemText(index, entry.section(QStringLiteral("："), 0, 0) + QStringLiteral("：") + *answer);
}

// The cell count, its caption and the fields a data type allows.
void TextBoxPropertiesDialog::ShowDataType()
{
    const int code = Model().Shown().baseCode;
    const bool cells = EditorModel::CellCountEnabled(code);
    mCellCaption->setText(DataTypeCatalog::CellCountCaption(code));
    mCellCount->setEnabled(cells);
    mCellCount->setText(cells ? QString::number(Model().Shown().cells) : CodeText(code));
    mCustom->setEnabled(mDataTypes->currentText().contains(kCustomMark));
    for (QAbstractButton* button : AlignmentButtons()->buttons()) button->setEnabled(EditorModel::AlignmentEnabled(code));
    Field(EditorModel::LineSpacing)->setEnabled(EditorModel::LineSpacingEnabled(code));
    Field(EditorModel::Spacing)->setEnabled(EditorModel::CharSpacingEnabled(code));
    ShowRelations();
}

void TextBoxPropertiesDialog::ShowFont()
{
    mSample->setFont(ShownFont());
    QPalette palette = mSample->palette();
    palette.setColor(QPalette::Text, PrintSurface::ColorFromBgr(static_cast<quint32>(Model().Shown().font.color)));
    mSample->setPalette(palette);
    static const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};
    mSample->setAlignment(alignments[std::clamp(Model().Shown().alignment, 0, 2)] | Qt::AlignVCenter);
}

} // namespace kestrio
