#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace kestrio {

class FormatLibrary;
class Workspace;

// "修改单据尺寸": the page size of the open format. OK keeps the dialog open while the ratio
// is outside 1:20 … 20:1; the new size is kept with the format at its next save.
class PageSizeDialog final : public QDialog {
    Q_OBJECT

public:
    PageSizeDialog(FormatLibrary& library, Workspace& ws, QWidget* parent = nullptr);

    // Opens the dialog; true when the page size was accepted.
    static bool Edit(FormatLibrary& library, Workspace& ws, QWidget* parent);

    QLineEdit* TX() const { return mTX; }
    QLineEdit* TY() const { return mTY; }
    QPushButton* Button(int index) const { return index == 0 ? mOk : mCancel; }

private:
    void OnOkClicked();

    FormatLibrary& mLibrary;
    Workspace& mWs;
    QLineEdit* mTX = nullptr;
    QLineEdit* mTY = nullptr;
    QPushButton* mOk = nullptr;
    QPushButton* mCancel = nullptr;
};

} // namespace kestrio
