#include "workbench/ui/ElementTablePage.h"

#include "app/ui/MenuItem.h"
#include "designer/ElementWords.h"
#include "format/FormatDocument.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

namespace kestrio {

ElementTablePage::ElementTablePage(const FormatDocument& document, QWidget* parent) : QTableWidget(parent), mDocument(document)
{
    setObjectName(QStringLiteral("MSF_3"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One block of rows: the question names its first and last row.
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
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
    // In words; the stored value of a reworded cell is its tooltip.
    for (int col = 0; col < ElementTable::ColumnCount; ++col) {
        const QString stored = col == ElementTable::ColColor ? QString::number(table.Color(row)) : table.Text(row, col);
        auto* item = new QTableWidgetItem(ElementWords::Cell(table, row, col));
        if (item->text() != stored) item->setToolTip(QStringLiteral("存储值：") + stored);
        if (col == ElementTable::ColColor) item->setBackground(QColor(item->text()));
        if (col == ElementTable::ColColor) item->setForeground(QColor(item->text()).lightness() < 128 ? Qt::white : Qt::black);
        setItem(row - ElementTable::kFirstRow, col, item);
    }
}

void ElementTablePage::SetRowDeleter(RowDeleter deleter, std::function<bool()> locked)
{
    mDeleteRows = std::move(deleter);
    mLocked = std::move(locked);
}

bool ElementTablePage::DeleteSelectedRows()
{
    if (!mDeleteRows || (mLocked && mLocked())) return false;
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows << index.row();
    if (rows.isEmpty() && currentRow() >= 0) rows << currentRow();
    if (rows.isEmpty()) return false;
    const auto [first, last] = std::minmax_element(rows.cbegin(), rows.cend());
    return mDeleteRows(*first + ElementTable::kFirstRow, *last + ElementTable::kFirstRow);
}

void ElementTablePage::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        DeleteSelectedRows();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void ElementTablePage::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    AddMenuItem(menu, QStringLiteral("mDeleteRows"), QStringLiteral("删除"), mDeleteRows && !(mLocked && mLocked()) && rowCount() > 0,
                this, [this] { DeleteSelectedRows(); });
    menu.exec(event->globalPos());
}

} // namespace kestrio
