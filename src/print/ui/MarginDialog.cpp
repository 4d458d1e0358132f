#include "print/ui/MarginDialog.h"

#include "convert/Decimal.h"
#include "print/PrintOffsets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <cmath>

namespace kestrio {

MarginDialog::MarginDialog(const QString& offsetX, const QString& offsetY, QWidget* parent, double widthMm,
                           double heightMm)
    : QDialog(parent), mWidthMm(widthMm), mHeightMm(heightMm)
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

    connect(mOk, &QPushButton::clicked, this, &MarginDialog::OnOkClicked);
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

QString MarginDialog::OffsetX() const { return PrintOffsets::Normalised(mText1_0->text()); }
QString MarginDialog::OffsetY() const { return PrintOffsets::Normalised(mText1_1->text()); }

// A typo must not become an offset of 0, nor a large number a blank page.
void MarginDialog::OnOkClicked()
{
    const QString problem = PrintOffsets::Check(mText1_0->text(), mText1_1->text(), mWidthMm, mHeightMm);
    if (problem.isEmpty()) {
        accept();
        return;
    }
    QMessageBox box(QMessageBox::Warning, Caption(), problem, QMessageBox::NoButton, this);
    box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.exec();
    QLineEdit* wrong = PrintOffsets::Parse(mText1_0->text()) ? mText1_1 : mText1_0;
    if (PrintOffsets::Parse(mText1_0->text()) && PrintOffsets::Parse(mText1_1->text()))
        wrong = std::abs(*PrintOffsets::Parse(mText1_0->text())) >= mWidthMm ? mText1_0 : mText1_1;
    wrong->setFocus();
    wrong->selectAll();
}

bool MarginDialog::EditMargins(QWidget* parent, QString& offsetX, QString& offsetY, double widthMm, double heightMm)
{
    MarginDialog dialog(offsetX, offsetY, parent, widthMm, heightMm);
    if (dialog.exec() != QDialog::Accepted) return false;
    offsetX = dialog.OffsetX();
    offsetY = dialog.OffsetY();
    return true;
}

} // namespace kestrio
