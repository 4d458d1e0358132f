#include "FormatDownloadDialog.h"

#include "app/AppContext.h"
#include "app/ui/WidgetPlace.h"
#include "format/FormatExchange.h"
#include "format/FormatLibrary.h"
#include "images/ui/PicturePreview.h"
#include "seams/Progress.h"
#include "seams/Prompter.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kestrio {

FormatDownloadDialog::FormatDownloadDialog(AppContext& app, QWidget* parent)
    : QDialog(parent), mApp(app), mCatalogue(app, mHttp)
{
    setObjectName(QStringLiteral("FmtDown"));
    setWindowTitle(Caption());
    BuildControls();
    WidgetPlace::RestoreWindowPlace(mApp.Parameters(), *this, PlaceKey(), mApp.Screen());
    LoadWebFmtList();
}

// A download cut short by closing the window leaves no indicator behind.
FormatDownloadDialog::~FormatDownloadDialog()
{
    if (mBusy) mApp.Indicator().CloseProgress();
}

QString FormatDownloadDialog::DownloadFormats(AppContext& app, QWidget* parent)
{
    app.ChosenValue.clear();
    {
        FormatDownloadDialog dialog(app, parent);
        dialog.exec();
    }
    return app.ChosenValue;
}

void FormatDownloadDialog::BuildControls()
{
    mMSF = new QTableWidget(this);
    mMSF->setObjectName(QStringLiteral("MSF"));
    mMSF->setSelectionBehavior(QAbstractItemView::SelectRows);
    mMSF->setSelectionMode(QAbstractItemView::SingleSelection);
    mMSF->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mMSF->verticalHeader()->setVisible(false);
    mMSF->setWordWrap(false);
    connect(mMSF, &QTableWidget::currentCellChanged, this, &FormatDownloadDialog::RowChanged);
    connect(mMSF, &QTableWidget::cellDoubleClicked, this, &FormatDownloadDialog::DownInputFmt);

    mSkey = new QLineEdit(this);
    mSkey->setObjectName(QStringLiteral("Skey"));
    mSkey->setPlaceholderText(QStringLiteral("输入关键词"));
    connect(mSkey, &QLineEdit::returnPressed, this, &FormatDownloadDialog::FindFmt);

    const std::array<QString, ButtonCount> captions{QStringLiteral("导入格式"), QStringLiteral("更新列表"),
                                                    QStringLiteral("搜索")};
    for (int i = 0; i < ButtonCount; ++i) {
        auto* button = new QPushButton(captions[static_cast<std::size_t>(i)], this);
        button->setObjectName(QStringLiteral("Com_%1").arg(i));
        button->setAutoDefault(false);
        mCom[static_cast<std::size_t>(i)] = button;
    }
    connect(Com(0), &QPushButton::clicked, this, &FormatDownloadDialog::DownInputFmt);
    connect(Com(1), &QPushButton::clicked, this, &FormatDownloadDialog::DownWebFmt);
    connect(Com(2), &QPushButton::clicked, this, &FormatDownloadDialog::FindFmt);
    mAddress = new QPushButton(QStringLiteral("网站地址…"), this);
    mAddress->setObjectName(QStringLiteral("WebAddress"));
    mAddress->setAutoDefault(false);
    connect(mAddress, &QPushButton::clicked, this, &FormatDownloadDialog::EditAddress);

    mCancel = new QPushButton(QStringLiteral("取消"), this);
    mCancel->setObjectName(QStringLiteral("Cancel"));
    mCancel->setAutoDefault(false);
    mCancel->setEnabled(false);
    connect(mCancel, &QPushButton::clicked, this, &FormatDownloadDialog::CancelRequest);

    mStatus = new QLabel(this);
    mStatus->setObjectName(QStringLiteral("Status"));
    mStatus->setWordWrap(true);
    mStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mPreview = new PicturePreview(this);

    auto* search = new QHBoxLayout;
    search->addWidget(new QLabel(QStringLiteral("关键词："), this));
    search->addWidget(mSkey, 1);
    search->addWidget(Com(2));
    auto* left = new QVBoxLayout;
    left->addLayout(search);
    left->addWidget(mMSF, 1);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 3);
    top->addWidget(mPreview, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mStatus, 1);
    for (QPushButton* button : {mAddress, Com(1), Com(0), mCancel}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    resize(800, 480);
}

void FormatDownloadDialog::LoadWebFmtList()
{
    mCatalogue.FillCatalogueGrid(mGrid);
    ShowRows();
    ShowAddressState();
    if (mGrid.RowCount() == mGrid.FixedRows() && !WebCatalogue::ServerAddress(mApp).isEmpty()) DownWebFmt();
}

void FormatDownloadDialog::ShowRows()
{
    const QSignalBlocker block(mMSF);
    const int first = mGrid.FixedRows();
    mMSF->clear();
    mMSF->setColumnCount(mGrid.ColCount());
    QStringList headers;
    for (int c = 0; c < mGrid.ColCount(); ++c) headers << mGrid.Text(1, c);
    mMSF->setHorizontalHeaderLabels(headers);
    mMSF->setRowCount(mGrid.RowCount() - first);
    for (int r = first; r < mGrid.RowCount(); ++r)
        for (int c = 0; c < mGrid.ColCount(); ++c) mMSF->setItem(r - first, c, new QTableWidgetItem(mGrid.Text(r, c)));
    // The server paths and the number of the row in the table are for the program only.
    for (const int hidden : {WebCatalogue::ColId, WebCatalogue::ColFormatPath, WebCatalogue::ColPicturePath})
        mMSF->setColumnHidden(hidden, true);
    mMSF->resizeColumnsToContents();
    if (mMSF->rowCount() > 0) mMSF->setCurrentCell(0, WebCatalogue::ColName);
    RowChanged();
}

QStringList FormatDownloadDialog::Names() const
{
    QStringList names;
    for (int r = mGrid.FixedRows(); r < mGrid.RowCount(); ++r) names << mGrid.Text(r, WebCatalogue::ColName);
    return names;
}

int FormatDownloadDialog::CurrentGridRow() const
{
    const int row = mMSF->currentRow();
    return row < 0 || row >= mMSF->rowCount() ? -1 : row + mGrid.FixedRows();
}

// The selected row is marked "√" and its picture shown, fetched first when there is no
// local copy yet. Only the answer for the row still selected is shown.
void FormatDownloadDialog::RowChanged()
{
    const int current = CurrentGridRow();
    for (int r = mGrid.FixedRows(); r < mGrid.RowCount(); ++r) {
        const QString mark = r == current ? QStringLiteral("√") : QString();
        mGrid.SetText(r, WebCatalogue::ColMark, mark);
        if (QTableWidgetItem* item = mMSF->item(r - mGrid.FixedRows(), WebCatalogue::ColMark)) item->setText(mark);
    }
    mPreview->ShowPicture(QString());
    mWantedPreview = current < 0 ? QString() : mGrid.Text(current, WebCatalogue::ColPicturePath);
    if (mWantedPreview.isEmpty()) return;
    mCatalogue.FetchPreview(mWantedPreview, [this, wanted = mWantedPreview](const QString& path) {
        if (wanted == mWantedPreview) mPreview->ShowPicture(path);
    });
}

void FormatDownloadDialog::ShowAddressState()
{
    const QString address = WebCatalogue::ServerAddress(mApp);
    mStatus->setText(address.isEmpty() ? WebCatalogue::NoAddressMessage()
                                       : QStringLiteral("格式目录服务器：") + address);
    SetBusy(mBusy);
}

void FormatDownloadDialog::SetBusy(bool busy)
{
    mBusy = busy;
    const bool usable = !busy && !WebCatalogue::ServerAddress(mApp).isEmpty();
    Com(0)->setEnabled(usable);
    Com(1)->setEnabled(usable);
    mAddress->setEnabled(!busy);
    mCancel->setEnabled(busy);
}

void FormatDownloadDialog::CancelRequest()
{
    if (mBusy) mCatalogue.Cancel();
}

void FormatDownloadDialog::DownWebFmt()
{
    if (mBusy || WebCatalogue::ServerAddress(mApp).isEmpty()) return;
    SetBusy(true);
    mStatus->setText(QStringLiteral("正在更新列表..."));
    mCatalogue.UpdateCatalogue([this](const WebText::TextResult& result) {
        SetBusy(false);
        if (result.error == WebText::CancelledError()) {
            mStatus->setText(QStringLiteral("已取消更新，仍显示原有的列表。"));
            return;
        }
        if (!result.ok()) {
            mStatus->setText(QStringLiteral("未能更新格式列表：") + result.Describe() +
                             QStringLiteral("。仍显示原有的列表。"));
            return;
        }
        mCatalogue.FillCatalogueGrid(mGrid);
        ShowRows();
        mStatus->setText(QStringLiteral("格式列表已更新，共%1个格式。").arg(mGrid.RowCount() - mGrid.FixedRows()));
    });
}

void FormatDownloadDialog::FindFmt()
{
    const int found = FormatLibrary(mApp).FindInGrid(mGrid, mSkey->text(), WebCatalogue::ColClas,
                                                     WebCatalogue::ColName, CurrentGridRow());
    if (found < 0) return;
    const int row = found - mGrid.FixedRows();
    mMSF->setCurrentCell(row, WebCatalogue::ColName);
    mMSF->scrollToItem(mMSF->item(row, WebCatalogue::ColName), QAbstractItemView::PositionAtTop);
}

// Both files come into Temp/ under the format's safe name, then the import asks what it
// always asks (another name when taken, whether to open the format now).
void FormatDownloadDialog::DownInputFmt()
{
    const int row = CurrentGridRow();
    if (row < 0 || mBusy || WebCatalogue::ServerAddress(mApp).isEmpty()) return;
    SetBusy(true);
    mCatalogue.DownloadFormat(WebCatalogue::EntryOfRow(mGrid, row), [this](const QString& path) {
        SetBusy(false);
        if (path.isEmpty()) return;
        const FormatExchange::ImportResult result = FormatExchange(mApp).ImportFmtFile(path);
        if (!result.stored || !result.openNow) return;
        mApp.ChosenValue = result.name;
        accept();
    });
}

void FormatDownloadDialog::EditAddress()
{
    const std::optional<QString> typed =
        mApp.Prompt().Input(QStringLiteral("格式目录服务器的地址（例如 http://192.168.1.10:8080）；留空则不连接网络："),
                            mApp.Parameters().GetParam(WebCatalogue::AddressParameter()), QStringLiteral("网站地址"));
    if (!typed) return;
    const QString address = WebCatalogue::NormalizeAddress(*typed);
    if (address.isEmpty() && !typed->trimmed().isEmpty()) {
        mApp.Prompt().Message(WebCatalogue::InvalidAddressMessage(*typed), Prompter::Icon::Warning);
        return;
    }
    mApp.Parameters().SetParam(WebCatalogue::AddressParameter(), address);
    ShowAddressState();
    if (mGrid.RowCount() == mGrid.FixedRows()) DownWebFmt();
}

void FormatDownloadDialog::done(int result)
{
    CancelRequest();
    WidgetPlace::SaveWindowPlace(mApp.Parameters(), *this, PlaceKey(), mApp.Screen());
    QDialog::done(result);
}

} // namespace kestrio
