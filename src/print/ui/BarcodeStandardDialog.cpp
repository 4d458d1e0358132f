#include "print/ui/BarcodeStandardDialog.h"

#include "app/Params.h"
#include "convert/Decimal.h"

#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kestrio {

BarcodeStandardDialog::BarcodeStandardDialog(Params& params, std::function<void()> redrawPictures, QWidget* parent)
    : QDialog(parent), mParams(params), mRedrawPictures(std::move(redrawPictures))
{
    setObjectName(QStringLiteral("StrCodeStand"));
    setWindowTitle(Caption());

    auto* layout = new QVBoxLayout(this);
    const std::array<QString, OptionCount> captions{QStringLiteral(" 39码"), QStringLiteral(" EAN-13码")};
    for (int i = 0; i < OptionCount; ++i) {
        auto* option = new QRadioButton(captions[static_cast<std::size_t>(i)], this);
        option->setObjectName(QStringLiteral("Op_%1").arg(i));
        layout->addWidget(option);
        mOp[static_cast<std::size_t>(i)] = option;
    }
    mOk = new QPushButton(QStringLiteral("确     定"), this);
    mOk->setObjectName(QStringLiteral("Command1"));
    mOk->setDefault(true);
    layout->addWidget(mOk, 0, Qt::AlignHCenter);
    connect(mOk, &QPushButton::clicked, this, &BarcodeStandardDialog::OnOkClicked);

    const int selected = OptionFor(mParams.GetParam(ParamName()));
    if (selected >= 0) Op(selected)->setChecked(true);
}

int BarcodeStandardDialog::OptionFor(const QString& stored)
{
    const double value = Decimal::FromLeadingNumber(stored).ToDouble();
    for (int i = 0; i < OptionCount; ++i)
        if (value == i) return i;
    return -1;
}

int BarcodeStandardDialog::SelectedOption() const
{
    for (int i = 0; i < OptionCount; ++i)
        if (Op(i)->isChecked()) return i;
    return OptionCount;
}

void BarcodeStandardDialog::OnOkClicked()
{
    mParams.SetParam(ParamName(), QString::number(SelectedOption()));
    if (mRedrawPictures) mRedrawPictures();
    accept();
}

} // namespace kestrio
