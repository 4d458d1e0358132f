#include "workbench/ui/HistoryPage.h"

#include "print/ui/PrinterDestination.h"
#include "app/AppContext.h"
#include "entry/HistoryRecords.h"
#include "format/Workspace.h"
#include "print/BillPrinter.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>

namespace kestrio {

namespace {
// A fitted column never grows wider than this many pixels; long contents are cut off.
constexpr int kWidestColumn = 320;
} // namespace

// The history grid as the view shows it: the data rows as rows, every grid column as a
// column, row 1 (the captions) as the header. Row 0 (element IDs) is not shown; columns 0
// and 1 (record number, running number) are drawn in the colour of fixed cells.
class HistoryGridModel final : public QAbstractTableModel {
public:
    explicit HistoryGridModel(const HistoryGrid& grid) : mGrid(grid) {}

    void Reset()
    {
        beginResetModel();
        mRows = mGrid.DataRowCount();
        endResetModel();
    }
    // Bills were read into the grid: the new ones are inserted as rows, so that the view
    // shows them while the rest are still read; no rows or fewer than shown (a new load
    // began) reset the view.
    void RowsArrived(int rows)
    {
        if (rows == 0 || rows < mRows) return Reset();
        if (rows == mRows) return;
        beginInsertRows({}, mRows, rows - 1);
        mRows = rows;
        endInsertRows();
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : mRows; }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : mGrid.grid().ColCount();
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid()) return {};
        const int row = index.row() + HistoryGrid::kFirstDataRow;
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return mGrid.grid().Text(row, index.column());
        case Qt::BackgroundRole:
            if (index.column() < HistoryGrid::kFirstBoxCol) return QApplication::palette().button();
            return {};
        case Qt::TextAlignmentRole:
            if (index.column() < HistoryGrid::kFirstBoxCol) return int(Qt::AlignRight | Qt::AlignVCenter);
            return {};
        default:
            return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole) return {};
        if (orientation == Qt::Horizontal) return mGrid.grid().Text(1, section);
        return section + 1;
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

private:
    const HistoryGrid& mGrid;
    int mRows = 0;
};

HistoryPage::HistoryPage(AppContext& app, Workspace& ws, QWidget* parent)
    : QWidget(parent), mApp(app), mWs(ws), mGrid(app.DbOp(), app.Indicator()),
      mModel(std::make_unique<HistoryGridModel>(mGrid))
{
    setObjectName(QStringLiteral("HistoryTab"));

    auto* findLabel = new QLabel(FindCaption(), this);
    mKWord = new QLineEdit(this);
    mKWord->setObjectName(QStringLiteral("KWord"));
    findLabel->setBuddy(mKWord);
    auto makeButton = [this](const QString& name, const QString& caption) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(name);
        button->setAutoDefault(false);
        return button;
    };
    mShowAll = makeButton(QStringLiteral("cmdShowAll"), ShowAllCaption());
    mShowAll->setEnabled(false);
    mDelete = makeButton(QStringLiteral("cmdDelHistory"), DeleteCaption());
    mClear = makeButton(QStringLiteral("cmdClearHistory"), ClearCaption());
    mReprint = makeButton(QStringLiteral("cmdReprint"), ReprintCaption());

    mView = new QTableView(this);
    mView->setObjectName(QStringLiteral("MSF_2"));
    mView->setModel(mModel.get());
    mView->setSelectionMode(QAbstractItemView::ContiguousSelection);
    mView->setSelectionBehavior(QAbstractItemView::SelectItems);
    mView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mView->setWordWrap(false);
    mView->verticalHeader()->setVisible(false);
    mView->horizontalHeader()->setHighlightSections(false);
    mGrid.SetRowsArrived([this](int rows) { mModel->RowsArrived(rows); });

    auto* bar = new QHBoxLayout;
    bar->addWidget(findLabel);
    bar->addWidget(mKWord, 1);
    bar->addWidget(mShowAll);
    bar->addWidget(mDelete);
    bar->addWidget(mClear);
    bar->addWidget(mReprint);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(mView, 1);

    connect(mKWord, &QLineEdit::returnPressed, this, [this] { Find(mKWord->text()); });
    connect(mShowAll, &QPushButton::clicked, this, [this] { ShowAll(); });
    connect(mDelete, &QPushButton::clicked, this, [this] { DeleteSelected(); });
    connect(mClear, &QPushButton::clicked, this, [this] { ClearAll(); });
    connect(mReprint, &QPushButton::clicked, this, [this] { Reprint(); });
}

HistoryPage::~HistoryPage()
{
    // The view goes before the model it shows.
    delete mView;
    mView = nullptr;
}

void HistoryPage::ShowHistory()
{
    Load(HistoryGrid::kTabLimit);
}

void HistoryPage::ShowAll()
{
    Load(0);
}

void HistoryPage::Invalidate()
{
    mGrid.Invalidate();
}

void HistoryPage::Load(int limit)
{
    if (mWs.formatName.isEmpty() || mLoading) return; // no format open, or a load under way
    // The windows repaint while a long load reads: the commands wait until it is done.
    mLoading = true;
    for (QWidget* control : std::initializer_list<QWidget*>{mKWord, mShowAll, mDelete, mClear, mReprint})
        control->setEnabled(false);
    const bool loaded = mGrid.LoadHistoryGrid(mWs, limit);
    for (QWidget* control : std::initializer_list<QWidget*>{mKWord, mDelete, mClear, mReprint}) control->setEnabled(true);
    mShowAll->setEnabled(mGrid.ShowAllEnabled());
    mLoading = false;
    if (!loaded) return;
    Refresh();
    mView->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    mView->resizeColumnsToContents();
    for (int col = 0; col < mModel->columnCount(); ++col)
        if (mView->columnWidth(col) > kWidestColumn) mView->setColumnWidth(col, kWidestColumn);
    mView->scrollToTop();
    mView->horizontalScrollBar()->setValue(0);
}

void HistoryPage::Refresh()
{
    mModel->Reset();
    mShowAll->setEnabled(mGrid.ShowAllEnabled());
    PullSelection();
}

void HistoryPage::PushSelection()
{
    const QModelIndex current = mView->currentIndex();
    if (!current.isValid()) return; // the grid keeps its own current cell
    const int row = current.row() + HistoryGrid::kFirstDataRow;
    const int col = current.column();
    mGrid.SetCurrent(row, col);
    const QItemSelection selection = mView->selectionModel()->selection();
    if (selection.isEmpty()) return;
    int top = row, bottom = row, left = col, right = col;
    bool first = true;
    for (const QItemSelectionRange& range : selection) {
        const int t = range.top() + HistoryGrid::kFirstDataRow;
        const int b = range.bottom() + HistoryGrid::kFirstDataRow;
        top = first ? t : std::min(top, t);
        bottom = first ? b : std::max(bottom, b);
        left = first ? range.left() : std::min(left, range.left());
        right = first ? range.right() : std::max(right, range.right());
        first = false;
    }
    // The other corner of the selected block, seen from the current cell.
    const int rowSel = row == top ? bottom : row == bottom ? top : bottom;
    const int colSel = col == left ? right : col == right ? left : right;
    mGrid.SetSelection(rowSel, colSel);
}

void HistoryPage::PullSelection()
{
    QItemSelectionModel* selection = mView->selectionModel();
    if (mGrid.DataRowCount() == 0 || mModel->columnCount() == 0) {
        selection->clear();
        return;
    }
    auto clampRow = [this](int row) {
        return std::clamp(row - HistoryGrid::kFirstDataRow, 0, mGrid.DataRowCount() - 1);
    };
    auto clampCol = [this](int col) { return std::clamp(col, 0, mModel->columnCount() - 1); };
    const int row = clampRow(mGrid.Row()), rowSel = clampRow(mGrid.RowSel());
    const int col = clampCol(mGrid.Col()), colSel = clampCol(mGrid.ColSel());
    selection->setCurrentIndex(mModel->index(row, col), QItemSelectionModel::NoUpdate);
    selection->select(QItemSelection(mModel->index(std::min(row, rowSel), std::min(col, colSel)),
                                     mModel->index(std::max(row, rowSel), std::max(col, colSel))),
                      QItemSelectionModel::ClearAndSelect);
    const QModelIndex top = mModel->index(clampRow(mGrid.TopRow()), col);
    mView->scrollTo(top, QAbstractItemView::PositionAtTop);
}

bool HistoryPage::DeleteSelected()
{
    PushSelection();
    HistoryRecords records(mApp.DbOp(), mApp.Prompt(), &mApp.Time());
    const bool deleted = records.DeleteHistoryRows(mGrid);
    if (deleted) Refresh();
    return deleted;
}

bool HistoryPage::ClearAll()
{
    PushSelection();
    HistoryRecords records(mApp.DbOp(), mApp.Prompt(), &mApp.Time());
    const bool deleted = records.ClearHistory(mGrid);
    if (deleted) Refresh();
    else PullSelection(); // the question names the whole range, which stays selected
    return deleted;
}

bool HistoryPage::Find(const QString& keyword)
{
    PushSelection();
    HistoryRecords records(mApp.DbOp(), mApp.Prompt(), &mApp.Time());
    const bool found = records.FindInHistory(mGrid, keyword);
    if (found) PullSelection();
    return found;
}

void HistoryPage::Reprint()
{
    PushSelection();
    std::unique_ptr<PrintDestination> destination =
        mMakeDestination ? mMakeDestination()
                         : std::make_unique<PrinterDestination>(mApp.Prompt(), mApp.Settings(), this);
    if (!destination) return;
    HistoryRecords records(mApp.DbOp(), mApp.Prompt(), &mApp.Time());
    const double frame = mFrameWidth ? mFrameWidth() : 0;
    BillPrinter printer(*destination, BillPrinter::EnvironmentFor(mApp, mWs, frame), &records, mApp.Prompt(),
                        mApp.Indicator());
    const bool oneBill = mGrid.Row() == mGrid.RowSel();
    switch (printer.ReprintHistoryRows(mWs, mGrid)) {
    case BillPrinter::Reprint::ShowHistory:
        ShowHistory();
        emit historyShown();
        break;
    case BillPrinter::Reprint::Loaded:
        emit billLoaded();
        break;
    case BillPrinter::Reprint::Printed:
    case BillPrinter::Reprint::Failed:
        if (oneBill) emit billLoaded();
        break;
    case BillPrinter::Reprint::Cancelled:
        break;
    }
}

} // namespace kestrio
