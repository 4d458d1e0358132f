#include "designer/ui/LinePropertiesDialog.h"

#include "print/PrintSurface.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace kestrio {

LinePropertiesDialog::LinePropertiesDialog(AppContext& app, FormatDocument& document, int row, QWidget* parent)
    : PropertyDialog(app, document, row, QStringLiteral("线条属性修改"), parent)
{
    setObjectName(QStringLiteral("EditLine"));
    auto* fields = new QGridLayout;
    AddField(fields, 0, 0, EditorModel::X, QStringLiteral("起点X："), &EditorModel::Values::x);
    AddField(fields, 0, 2, EditorModel::Y, QStringLiteral("起点Y："), &EditorModel::Values::y);
    AddField(fields, 1, 0, EditorModel::Width, QStringLiteral("终点X："), &EditorModel::Values::width);
    AddField(fields, 1, 2, EditorModel::Height, QStringLiteral("终点Y："), &EditorModel::Values::height);
    AddField(fields, 2, 0, EditorModel::LineWidth, QStringLiteral("粗细："), &EditorModel::Values::lineWidth);
    mStyles = new QComboBox(this);
    mStyles->setObjectName(QStringLiteral("LineStyle"));
    mStyles->setIconSize(QSize(80, 12));
    mStyles->addItems({QStringLiteral("1 - 实线"), QStringLiteral("2 - 虚线"), QStringLiteral("3 - 点画线"),
                       QStringLiteral("4 - 点虚线"), QStringLiteral("5 - 点点虚线")});
    mStyles->setCurrentIndex(std::clamp(Model().Shown().lineStyle, 1, 5) - 1);
    fields->addWidget(new QLabel(QStringLiteral("线型："), this), 3, 0, Qt::AlignRight);
    fields->addWidget(mStyles, 3, 1, 1, 3);
    connect(mStyles, &QComboBox::activated, this, [this](int index) {
        Editable().Edit().lineStyle = index + 1;
        Editable().MarkChanged(EditorModel::LineStyle);
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(BuildFontButtons(false));
    layout->addLayout(BuildButtons());
    ShowFont();
}

// Each style entry carries a sample of the line as it will be drawn, in the chosen colour.
void LinePropertiesDialog::ShowFont()
{
    const QColor colour = PrintSurface::ColorFromBgr(static_cast<quint32>(Model().Shown().font.color));
    for (int i = 0; i < mStyles->count(); ++i) {
        QPixmap sample(mStyles->iconSize());
        sample.fill(Qt::white);
        QPainter painter(&sample);
        painter.setPen(QPen(colour, 2, PrintSurface::LineStyle(i)));
        painter.drawLine(2, sample.height() / 2, sample.width() - 2, sample.height() / 2);
        painter.end();
        mStyles->setItemIcon(i, QIcon(sample));
    }
}

} // namespace kestrio
