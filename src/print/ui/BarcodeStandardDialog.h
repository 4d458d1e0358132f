#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <functional>

class QPushButton;
class QRadioButton;

namespace kestrio {

class Params;

// "条码编码标准设置": which standard the barcode boxes are drawn in, kept as the index of the
// option in the parameter "StrBarCodeStand" (0 Code 39, 1 EAN-13).
class BarcodeStandardDialog final : public QDialog {
    Q_OBJECT

public:
    // `redrawPictures` is called after OK, so the barcodes shown follow the new standard.
    BarcodeStandardDialog(Params& params, std::function<void()> redrawPictures, QWidget* parent = nullptr);

    static constexpr int OptionCount = 2;
    QRadioButton* Op(int index) const { return mOp.at(static_cast<std::size_t>(index)); }
    QPushButton* OkButton() const { return mOk; }

    // The option to select for a stored value: its number when an option has it, else -1
    // ("" and text without a number count as 0).
    static int OptionFor(const QString& stored);
    // The index of the selected option; OptionCount when none is selected.
    int SelectedOption() const;

    static QString ParamName() { return QStringLiteral("StrBarCodeStand"); }
    static QString Caption() { return QStringLiteral("条码编码标准设置"); }

private:
    void OnOkClicked();

    Params& mParams;
    std::function<void()> mRedrawPictures;
    std::array<QRadioButton*, OptionCount> mOp{};
    QPushButton* mOk = nullptr;
};

} // namespace kestrio
