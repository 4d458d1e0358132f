#include "workbench/ui/ElementTablePage.h"

#include "format/FormatDocument.h"

#include <QHeaderView>

namespace kestrio {

ElementTablePage::ElementTablePage(const FormatDocument& document, QWidget* parent) : QTableWidget(parent), mDocument(document)
{
    setObjectName(QStringLiteral("MSF_3"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->setVisible(false);
    connect(&document, &FormatDocument::tableReset, this, &ElementTablePage::ShowTable);
    connect(&document, &FormatDocument::elementAdded, this, &ElementTablePage::ShowTable);
    connect(&document, &FormatDocument::elementRemoved, this, &ElementTablePage::ShowTable);
    connect(&document, &FormatDocument::elementChanged, this, &ElementTablePage::ShowRow);
    connect(this, &QTableWidget::cellDoubleClicked, this, [this](int shownRow, int) {
        const int row = shownRow + ElementTable::kFirstRow;
        if (mDocument.Table().IsDataRow(row)) emit rowActivated(row);
    });
}

void ElementTablePage::ShowTable()
{
    const ElementTable& table = mDocument.Table();
    clear();
    setColumnCount(ElementTable::ColumnCount);
    setHorizontalHeaderLabels(ElementTable::Headers());
    setRowCount(table.RowCount() - ElementTable::kFirstRow);
    for (int row = ElementTable::kFirstRow; row < table.RowCount(); ++row) ShowRow(row);
    resizeColumnsToContents();
}

void ElementTablePage::ShowRow(int row)
{
    const ElementTable& table = mDocument.Table();
    if (!table.IsDataRow(row) || row - ElementTable::kFirstRow >= rowCount()) return;
    for (int col = 0; col < ElementTable::ColumnCount; ++col)
        setItem(row - ElementTable::kFirstRow, col,
                new QTableWidgetItem(col == ElementTable::ColColor ? QString::number(table.Color(row)) : table.Text(row, col)));
}

} // namespace kestrio
