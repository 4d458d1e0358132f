#include "workbench/ui/FormatListPanel.h"

#include "format/FormatLibrary.h"
#include "format/Grid.h"

#include <QHeaderView>
#include <QTableWidget>

#include <algorithm>

namespace kestrio {

FormatListPanel::FormatListPanel(AppContext& app, QWidget* parent)
    : QDockWidget(QStringLiteral("格式列表"), parent), mApp(app)
{
    setObjectName(QStringLiteral("FormatListPanel"));
    setFeatures(QDockWidget::DockWidgetClosable);
    mTable = new QTableWidget(this);
    mTable->setObjectName(QStringLiteral("FMSF"));
    mTable->setColumnCount(1);
    mTable->setHorizontalHeaderLabels({FormatLibrary::FormatListHeaders().value(FormatLibrary::kNameColumn)});
    mTable->horizontalHeader()->setStretchLastSection(true);
    mTable->verticalHeader()->setVisible(false);
    mTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    mTable->setSelectionMode(QAbstractItemView::SingleSelection);
    mTable->setToolTip(QStringLiteral("双击可选择格式。"));
    setWidget(mTable);
    connect(mTable, &QTableWidget::cellDoubleClicked, this, [this](int row) {
        if (const QTableWidgetItem* item = mTable->item(row, 0)) emit formatChosen(item->text());
    });
}

void FormatListPanel::ShowFormats(const QString& currentFormat)
{
    Grid grid;
    const int current = FormatLibrary(mApp).FillFormatList(grid, currentFormat);
    const int first = grid.FixedRows();
    mTable->setRowCount(std::max(grid.RowCount() - first, 0));
    for (int row = first; row < grid.RowCount(); ++row) {
        auto* item = new QTableWidgetItem(grid.Text(row, FormatLibrary::kNameColumn));
        if (row == current) item->setForeground(Qt::red);
        mTable->setItem(row - first, 0, item);
    }
    if (current >= first) mTable->setCurrentCell(current - first, 0);
}

} // namespace kestrio
