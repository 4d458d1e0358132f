#include "print/ui/MarginDialog.h"

#include "convert/Decimal.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kestrio {

MarginDialog::MarginDialog(const QString& offsetX, const QString& offsetY, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MarginDialog"));
    setWindowTitle(Caption());

    auto* grid = new QGridLayout(this);
    mText1_0 = new QLineEdit(offsetX, this);
    mText1_0->setObjectName(QStringLiteral("Text1_0"));
    mText1_1 = new QLineEdit(offsetY, this);
    mText1_1->setObjectName(QStringLiteral("Text1_1"));

    auto* labelX = new QLabel(QStringLiteral("左右偏移(毫米)："), this);
    labelX->setBuddy(mText1_0);
    auto* labelY = new QLabel(QStringLiteral("上下偏移(毫米)："), this);
    labelY->setBuddy(mText1_1);
    grid->addWidget(labelX, 0, 0);
    grid->addWidget(mText1_0, 0, 1);
    grid->addWidget(labelY, 1, 0);
    grid->addWidget(mText1_1, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("正数向右、向下移动，负数向左、向上移动。"), this), 2, 0, 1, 2);

    mOk = new QPushButton(QStringLiteral("确定"), this);
    mOk->setObjectName(QStringLiteral("Command1"));
    mOk->setDefault(true);
    mCancel = new QPushButton(QStringLiteral("取消"), this);
    mCancel->setObjectName(QStringLiteral("Command2"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(mOk);
    buttons->addWidget(mCancel);
    grid->addLayout(buttons, 3, 0, 1, 2);

    connect(mOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(mCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString MarginDialog::OffsetText(const QString& text)
{
    return Decimal::FromLeadingNumber(text).ToPlainText();
}

double MarginDialog::ReadOffset(const QString& text)
{
    return Decimal::FromLeadingNumber(text).ToDouble();
}

QString MarginDialog::OffsetX() const { return OffsetText(mText1_0->text()); }
QString MarginDialog::OffsetY() const { return OffsetText(mText1_1->text()); }

bool MarginDialog::EditMargins(QWidget* parent, QString& offsetX, QString& offsetY)
{
    MarginDialog dialog(offsetX, offsetY, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    offsetX = dialog.OffsetX();
    offsetY = dialog.OffsetY();
    return true;
}

} // namespace kestrio
