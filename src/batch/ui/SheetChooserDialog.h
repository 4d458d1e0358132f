#pragma once

#include <QDialog>
#include <QStringList>

class QPushButton;
class QTableWidget;

namespace kestrio {

// "选择要导入数据所在的工作表" (object name Sheets): the worksheets of a workbook in a grid with
// the columns "No.", "选择" and "工作表名称"; a click marks one with "√", confirming chooses it.
class SheetChooserDialog final : public QDialog {
    Q_OBJECT

public:
    explicit SheetChooserDialog(const QStringList& sheets, QWidget* parent = nullptr);

    // The sheet marked "√"; empty when none is.
    QString ChosenSheet() const;
    void MarkRow(int row);

    QTableWidget* Grid() const { return mGrid; }
    QPushButton* OkButton() const { return mOk; }

    static QString Caption() { return QStringLiteral("选择要导入数据所在的工作表"); }

private:
    QTableWidget* mGrid = nullptr;
    QPushButton* mOk = nullptr;
    int mChosen = -1;
};

} // namespace kestrio
