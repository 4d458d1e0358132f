#include "SheetChooserDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kestrio {

namespace {
enum Column { ColNumber, ColMark, ColName };
} // namespace

SheetChooserDialog::SheetChooserDialog(const QStringList& sheets, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Sheets"));
    setWindowTitle(Caption());
    mGrid = new QTableWidget(static_cast<int>(sheets.size()), 3, this);
    mGrid->setObjectName(QStringLiteral("MSF"));
    mGrid->setHorizontalHeaderLabels({QStringLiteral("No."), QStringLiteral("选择"), QStringLiteral("工作表名称")});
    mGrid->verticalHeader()->hide();
    mGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    mGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int row = 0; row < sheets.size(); ++row) {
        mGrid->setItem(row, ColNumber, new QTableWidgetItem(QString::number(row + 1)));
        mGrid->setItem(row, ColMark, new QTableWidgetItem);
        mGrid->setItem(row, ColName, new QTableWidgetItem(sheets[row]));
    }
    mGrid->horizontalHeader()->setSectionResizeMode(ColName, QHeaderView::Stretch);
    connect(mGrid, &QTableWidget::cellClicked, this, [this](int row, int) { MarkRow(row); });
    connect(mGrid, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        MarkRow(row);
        accept();
    });

    auto* buttons = new QDialogButtonBox(this);
    mOk = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    mOk->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mGrid);
    layout->addWidget(buttons);
    resize(420, 300);
    if (sheets.size() == 1) MarkRow(0);
}

void SheetChooserDialog::MarkRow(int row)
{
    if (row < 0 || row >= mGrid->rowCount()) return;
    for (int r = 0; r < mGrid->rowCount(); ++r) mGrid->item(r, ColMark)->setText(r == row ? QStringLiteral("√") : QString());
    mChosen = row;
    mOk->setEnabled(true);
}

QString SheetChooserDialog::ChosenSheet() const
{
    return mChosen >= 0 ? mGrid->item(mChosen, ColName)->text() : QString();
}

} // namespace kestrio
