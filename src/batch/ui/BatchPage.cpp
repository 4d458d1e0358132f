#include "BatchPage.h"

#include "BatchProgressDialog.h"
#include "MappingDialog.h"
#include "SheetChooserDialog.h"
#include "app/AppContext.h"
#include "batch/BatchPrintJob.h"
#include "batch/GridExport.h"
#include "batch/SheetReader.h"
#include "entry/EntryKit.h"
#include "entry/HistoryRecords.h"
#include "format/Workspace.h"
#include "print/BillPrinter.h"
#include "print/ui/PrinterDestination.h"
#include "seams/Progress.h"
#include "seams/Prompter.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace kestrio {

// The bills of the batch grid as the view shows them: data rows only, captions as headers.
class BatchGridModel final : public QAbstractTableModel {
public:
    explicit BatchGridModel(const BatchGrid& batch) : mBatch(batch) {}

    void Reset()
    {
        beginResetModel();
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : mBatch.BillCount(); }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : mBatch.grid().ColCount();
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
        return mBatch.grid().Text(index.row() + BatchGrid::kFirstDataRow, index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole) return {};
        return orientation == Qt::Horizontal ? QVariant(mBatch.grid().Text(1, section)) : QVariant(section + 1);
    }

private:
    const BatchGrid& mBatch;
};

BatchPage::BatchPage(AppContext& app, Workspace& ws, QWidget* parent)
    : QWidget(parent), mApp(app), mWs(ws), mModel(std::make_unique<BatchGridModel>(mBatch))
{
    BuildControls();
    Refresh();
}

BatchPage::~BatchPage()
{
    // The view goes before the model it shows.
    delete mView;
}

void BatchPage::BuildControls()
{
    mView = new QTableView(this);
    mView->setObjectName(QStringLiteral("MSF_1"));
    mView->setModel(mModel.get());
    mView->setSelectionBehavior(QAbstractItemView::SelectRows);
    mView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mView->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* exportAction = new QAction(QStringLiteral("导出表格"), mView);
    exportAction->setObjectName(QStringLiteral("mOutMSF"));
    mView->addAction(exportAction);
    connect(exportAction, &QAction::triggered, this, [this] { ExportGrid(); });
    connect(mView, &QTableView::doubleClicked, this, [this](const QModelIndex& index) { ShowBill(index.row()); });

    const struct { const char16_t* name; const char16_t* caption; void (BatchPage::*command)(); } buttons[] = {
        {u"Com_11", u"删除所选", &BatchPage::DeleteSelected}, {u"Com_12", u"清空数据", &BatchPage::Clear}};
    auto* row = new QHBoxLayout;
    mImport = new QPushButton(QStringLiteral("导入数据"), this);
    mImport->setObjectName(QStringLiteral("Com_10"));
    connect(mImport, &QPushButton::clicked, this, [this] { Import(); });
    row->addWidget(mImport);
    for (const auto& b : buttons) {
        auto* button = new QPushButton(QString::fromUtf16(b.caption), this);
        button->setObjectName(QString::fromUtf16(b.name));
        const auto command = b.command;
        connect(button, &QPushButton::clicked, this, [this, command] { (this->*command)(); });
        row->addWidget(button);
    }
    row->addStretch(1);
    mRecord = new QLabel(this);
    mRecord->setObjectName(QStringLiteral("R_Num"));
    row->addWidget(mRecord);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(mView, 1);
}

void BatchPage::AttachScrollBar(QScrollBar* scrollBar)
{
    mScroll = scrollBar;
    connect(mScroll, &QScrollBar::valueChanged, this, [this](int value) { ShowBill(value - 1); });
    Refresh();
}

bool BatchPage::Import()
{
    const QString path = mApp.Prompt().OpenFile(
        QStringLiteral("导入数据"), QStringLiteral("Excel 工作簿(*.xlsx *.xls);;CSV (逗号分隔)(*.csv)"));
    return !path.isEmpty() && ImportFile(path);
}

bool BatchPage::ImportFile(const QString& path)
{
    QString sheet;
    if (!SheetReader::IsCsv(path)) {
        std::unique_ptr<SheetReader> reader = SheetReader::ForPath(path);
        if (!reader) {
            mApp.Prompt().Message(SheetReader::UnsupportedMessage(), Prompter::Icon::Warning);
            return false;
        }
        mApp.Indicator().ShowProgress(QStringLiteral("正在读取EXCEL文件数据……"), 1, 0);
        const bool opened = reader->Open(path);
        mApp.Indicator().CloseProgress();
        if (!opened) {
            mApp.Prompt().Message(QStringLiteral("无法打开XLS文件！"), Prompter::Icon::Warning);
            return false;
        }
        SheetChooserDialog sheets(reader->SheetNames(), this);
        const bool chosen = mRunSheets ? mRunSheets(sheets) : sheets.exec() == QDialog::Accepted;
        sheet = sheets.ChosenSheet();
        if (!chosen || sheet.isEmpty()) return false;
    }
    MappingDialog mapping(mApp, mWs, mBatch, path, sheet, this);
    const bool imported = mRunMapping ? mRunMapping(mapping) : mapping.exec() == QDialog::Accepted;
    if (imported) Refresh();
    return imported;
}

void BatchPage::DeleteSelected()
{
    QList<int> rows;
    for (const QModelIndex& index : mView->selectionModel()->selectedRows()) rows << index.row();
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (int row : rows) mBatch.RemoveBills(row, row);
    // What is left is shown from its first bill.
    Refresh(0);
}

void BatchPage::Clear()
{
    mBatch.Clear();
    Refresh();
}

void BatchPage::Refresh(int showBill)
{
    mModel->Reset();
    for (int col = 0; col < mBatch.grid().ColCount(); ++col) mView->setColumnHidden(col, mBatch.grid().ColumnHidden(col));
    const int bills = mBatch.BillCount();
    if (mScroll) {
        const QSignalBlocker quiet(mScroll);
        mScroll->setRange(bills > 0 ? 1 : 0, bills);
        mScroll->setEnabled(bills > 0);
    }
    if (bills > 0) ShowBill(showBill >= 0 ? std::min(showBill, bills - 1) : std::max(mBatch.Current(), 0));
    else mRecord->setText(QString());
    emit billsChanged(bills);
}

void BatchPage::ShowBill(int bill)
{
    EntryKit kit(mApp);
    if (!mBatch.ShowBill(bill, mWs, kit.entry)) return;
    if (mScroll) {
        const QSignalBlocker quiet(mScroll);
        mScroll->setValue(bill + 1);
    }
    mRecord->setText(QStringLiteral("%1/%2").arg(bill + 1).arg(mBatch.BillCount()));
    mView->selectRow(bill);
    emit billShown();
}

bool BatchPage::PrintAll()
{
    if (mBatch.BillCount() == 0) return false;
    // Rows read for another format's boxes would print that format's bills on this one.
    if (mBatch.FormatName() != mWs.formatName) {
        Clear();
        return false;
    }
    EntryKit kit(mApp);
    BatchPrintJob job(mBatch, kit.entry);
    QList<int> bills;
    bool allowEmpty = false;
    if (!ChooseBills(job, bills, allowEmpty)) {
        Refresh();
        return false;
    }
    const std::unique_ptr<PrintDestination> destination =
        mMakeDestination ? mMakeDestination()
                         : std::make_unique<PrinterDestination>(mApp.Prompt(), mApp.Settings(), this);
    HistoryRecords records(mApp.DbOp(), mApp.Prompt(), &mApp.Time());
    BatchProgressDialog progress(this);
    BillPrinter printer(*destination, BillPrinter::EnvironmentFor(mApp, mWs, mFrameWidth ? mFrameWidth() : 0),
                        &records, mApp.Prompt(), progress);
    printer.AllowEmpty(allowEmpty);
    const BatchPrintJob::Outcome outcome = job.PrintAll(printer, mWs, [&progress] { return progress.Cancelled(); }, bills);
    if (outcome == BatchPrintJob::Outcome::Printed) emit billsPrinted();
    if (outcome == BatchPrintJob::Outcome::Failed)
        mApp.Prompt().Message(job.FailedMessage(job.StoppedAt()), Prompter::Icon::Warning);
    if (outcome == BatchPrintJob::Outcome::Cancelled)
        mApp.Prompt().Message(BatchPrintJob::CancelledMessage(), Prompter::Icon::Information);
    Refresh();
    return outcome == BatchPrintJob::Outcome::Printed;
}

// Every bill is checked before the printer is asked for. Refused bills are named with their
// source rows; the others print only when the clerk says so (No by default), and so do bills
// without their capital amount or date.
bool BatchPage::ChooseBills(BatchPrintJob& job, QList<int>& bills, bool& allowEmpty)
{
    const BatchPrintJob::Check check = job.CheckAll(mWs, mApp.Indicator());
    bills = BatchPrintJob::Without(mBatch.BillCount(), check.refusedBills);
    if (!check.refusedBills.isEmpty()) {
        const QString list = BatchPrintJob::RefusalList(check.refusals);
        if (bills.isEmpty()) {
            mApp.Prompt().Message(QStringLiteral("没有可以打印的单据：\n") + list, Prompter::Icon::Warning);
            return false;
        }
        if (!mApp.Prompt().AskDefaultNo(QStringLiteral("%1张单据不能打印：\n%2\n\n只打印其余的%3张单据吗？")
                                            .arg(check.refusedBills.size())
                                            .arg(list)
                                            .arg(bills.size())))
            return false;
    }
    if (!check.questionedBills.isEmpty()) {
        if (!mApp.Prompt().AskDefaultNo(QStringLiteral("以下单据打印出来没有意义：\n%1\n\n仍然打印这些单据吗？")
                                            .arg(BatchPrintJob::RefusalList(check.questions))))
            return false;
        allowEmpty = true;
    }
    return true;
}

void BatchPage::ExportGrid()
{
    GridExport(mApp.Prompt(), mApp.Indicator()).ExportGrid(mBatch.grid(), QStringLiteral("Kestrio支票打印批量数据"));
}

} // namespace kestrio
