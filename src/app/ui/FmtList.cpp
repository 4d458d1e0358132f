#include "FmtList.h"

#include "WidgetPlace.h"
#include "app/AppContext.h"
#include "format/FormatExchange.h"
#include "format/FormatLibrary.h"
#include "images/BackgroundCommands.h"
#include "images/BackgroundImages.h"
#include "seams/Prompter.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace kestrio {

namespace {

const QColor kCurrentFormatColour(255, 0, 0);

} // namespace

FmtList::FmtList(AppContext& app, const QString& currentFormat, QWidget* parent)
    : QDialog(parent), mApp(app), mCurrent(currentFormat)
{
    setObjectName(QStringLiteral("FmtList"));
    setWindowTitle(Caption());
    BuildControls();
    Form_Load();
}

QString FmtList::ChooseFormat(AppContext& app, QWidget* parent, bool force, const QString& current)
{
    app.ChosenValue.clear();
    {
        FmtList list(app, current, parent);
        list.exec();
    }
    const QString name = app.ChosenValue;
    if (name.isEmpty() || (name == current && !force)) return {};
    return name;
}

void FmtList::BuildControls()
{
    mMSF = new QTableWidget(this);
    mMSF->setObjectName(QStringLiteral("MSF"));
    mMSF->setSelectionBehavior(QAbstractItemView::SelectRows);
    mMSF->setSelectionMode(QAbstractItemView::ExtendedSelection);
    mMSF->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mMSF->verticalHeader()->setVisible(false);
    mMSF->setWordWrap(false);
    connect(mMSF, &QTableWidget::currentCellChanged, this, [this] { MSF_RowColChange(); });
    connect(mMSF, &QTableWidget::cellDoubleClicked, this, [this] { Com_Click(0); });

    mSkey = new QComboBox(this);
    mSkey->setObjectName(QStringLiteral("Skey"));
    mSkey->setEditable(true);
    mSkey->setInsertPolicy(QComboBox::NoInsert);
    mSkey->setMinimumWidth(160);
    mSkey->installEventFilter(this);
    if (mSkey->lineEdit()) mSkey->lineEdit()->installEventFilter(this);

    mFrm = new QFrame(this);
    mFrm->setObjectName(QStringLiteral("Frm"));
    mFrm->setFrameShape(QFrame::StyledPanel);
    mFrm->setMinimumSize(260, 200);
    mFrm->installEventFilter(this);
    mImg = new QLabel(mFrm);
    mImg->setObjectName(QStringLiteral("Img"));
    mImg->setScaledContents(true);
    mLBL = new QLabel(QStringLiteral("此格式暂无图片！"), mFrm);
    mLBL->setObjectName(QStringLiteral("LBL"));
    mLBL->setAlignment(Qt::AlignCenter);
    mLBL->hide();
    mVS = new QScrollBar(Qt::Vertical, this);
    mVS->setObjectName(QStringLiteral("VS"));
    mVS->setEnabled(false);
    connect(mVS, &QScrollBar::valueChanged, this, &FmtList::VS_Change);

    const std::array<QString, ButtonCount> captions{
        QStringLiteral("选 择"), QStringLiteral("退 出"), QStringLiteral("下载更多…"), QStringLiteral("导 入"),
        QStringLiteral("删 除"), QStringLiteral("导 出"), QStringLiteral("搜索")};
    for (int i = 0; i < ButtonCount; ++i) {
        auto* button = new QPushButton(captions[static_cast<std::size_t>(i)], this);
        button->setObjectName(QStringLiteral("Com_%1").arg(i));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { Com_Click(i); });
        mCom[static_cast<std::size_t>(i)] = button;
    }
    // The web catalogue is not there yet; its button keeps its place in the row.
    Com(2)->hide();

    auto* search = new QHBoxLayout;
    search->addWidget(new QLabel(QStringLiteral("格式名称："), this));
    search->addWidget(mSkey, 1);
    search->addWidget(Com(6));

    auto* left = new QVBoxLayout;
    left->addLayout(search);
    left->addWidget(mMSF, 1);

    auto* preview = new QHBoxLayout;
    preview->setSpacing(0);
    preview->addWidget(mFrm, 1);
    preview->addWidget(mVS);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 3);
    top->addLayout(preview, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (const int i : {0, 2, 3, 4, 5, 1}) buttons->addWidget(Com(i));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    resize(760, 460);
}

void FmtList::Form_Load()
{
    WidgetPlace::RestoreWindowPlace(mApp.Parameters(), *this, PlaceKey(), mApp.Screen());
    FillFormatList();
    WidgetPlace::LoadKeywordList(mApp.Parameters(), *mSkey, KeywordListName());
    mMSF->setEnabled(true);
    MSF_RowColChange();
}

void FmtList::FillFormatList()
{
    const int current = FormatLibrary(mApp).FillFormatList(mGrid, mCurrent);
    const QSignalBlocker block(mMSF);
    ShowRows();
    const int row = current >= 0 ? current - mGrid.FixedRows() : (mMSF->rowCount() > 0 ? 0 : -1);
    if (row >= 0) {
        mMSF->setCurrentCell(row, FormatLibrary::kMarkColumn);
        mMSF->selectRow(row);
    }
    MarkCurrentFormat();
}

void FmtList::ShowRows()
{
    const int first = mGrid.FixedRows();
    mMSF->clear();
    mMSF->setColumnCount(mGrid.ColCount());
    QStringList headers;
    for (int c = 0; c < mGrid.ColCount(); ++c) headers << mGrid.Text(1, c);
    mMSF->setHorizontalHeaderLabels(headers);
    mMSF->setRowCount(mGrid.RowCount() - first);
    for (int r = first; r < mGrid.RowCount(); ++r)
        for (int c = 0; c < mGrid.ColCount(); ++c) {
            auto* item = new QTableWidgetItem(mGrid.Text(r, c));
            if (c == FormatLibrary::kMarkColumn) item->setTextAlignment(Qt::AlignCenter);
            mMSF->setItem(r - first, c, item);
        }
    mMSF->resizeColumnsToContents();
}

void FmtList::MarkCurrentFormat()
{
    for (int r = 0; r < mMSF->rowCount(); ++r) {
        const bool current = mMSF->item(r, FormatLibrary::kNameColumn)->text() == mCurrent;
        for (int c = 0; c < mMSF->columnCount(); ++c)
            mMSF->item(r, c)->setForeground(current ? QBrush(kCurrentFormatColour) : QBrush());
    }
}

QStringList FmtList::Names() const
{
    QStringList names;
    for (int r = 0; r < mMSF->rowCount(); ++r) names << mMSF->item(r, FormatLibrary::kNameColumn)->text();
    return names;
}

QString FmtList::CurrentName() const
{
    const int row = mMSF->currentRow();
    if (row < 0 || row >= mMSF->rowCount()) return {};
    return mMSF->item(row, FormatLibrary::kNameColumn)->text();
}

int FmtList::RowOf(const QString& name) const
{
    return static_cast<int>(Names().indexOf(name));
}

void FmtList::MSF_RowColChange()
{
    if (!mMSF->isEnabled()) return;
    const int current = mMSF->currentRow();
    for (int r = 0; r < mMSF->rowCount(); ++r) {
        const QString mark = r == current ? QStringLiteral("√") : QString();
        mMSF->item(r, FormatLibrary::kMarkColumn)->setText(mark);
        mGrid.SetText(r + mGrid.FixedRows(), FormatLibrary::kMarkColumn, mark);
    }
    ShowPreview(CurrentName());
}

void FmtList::ShowPreview(const QString& name)
{
    mPicture = QPixmap();
    mImg->clear();
    const QString path = BackgroundImages::BackgroundPath(mApp.Paths().Folder(), name);
    if (!name.isEmpty() && BackgroundImages::HasBackground(mApp.Paths().Folder(), name)) mPicture.load(path);
    mLBL->setVisible(mPicture.isNull());
    mImg->setVisible(!mPicture.isNull());
    if (!mPicture.isNull()) mImg->setPixmap(mPicture);
    PlacePreview();
}

// The picture fills the frame's width keeping its proportions; a taller one scrolls, the bar
// running to ten steps for every frame height of picture.
void FmtList::PlacePreview()
{
    const int width = mFrm->width(), height = mFrm->height();
    mLBL->setGeometry(0, 0, width, height);
    const QSignalBlocker block(mVS);
    if (mPicture.isNull() || mPicture.width() == 0) {
        mImg->setGeometry(0, 0, width, height);
        mVS->setValue(0);
        mVS->setEnabled(false);
        return;
    }
    const BackgroundCommands::PreviewFit fit = BackgroundCommands::FitPreview(mPicture.size(), width, height);
    mImg->setGeometry(0, 0, width, static_cast<int>(std::nearbyint(fit.imageHeight)));
    mVS->setValue(0);
    mVS->setEnabled(fit.scrollEnabled);
    if (fit.scrollEnabled) {
        mVS->setRange(0, fit.scrollMax);
        mVS->setSingleStep(fit.smallChange);
        mVS->setPageStep(fit.largeChange);
    }
}

void FmtList::VS_Change(int value)
{
    if (mPicture.isNull() || mVS->maximum() <= 0) return;
    const int hidden = std::max(0, mImg->height() - mFrm->height());
    mImg->move(0, -static_cast<int>(std::nearbyint(static_cast<double>(hidden) * value / mVS->maximum())));
}

void FmtList::Com_Click(int index)
{
    mApp.ChosenValue.clear();
    switch (index) {
    case 0: Choose(); break;
    case 1: Leave(); break;
    case 2: break; // the web catalogue comes later
    case 3: Import(); break;
    case 4: DeleteSelected(); break;
    case 5: Export(); break;
    case 6: Search(); break;
    default: break;
    }
}

void FmtList::Choose()
{
    mApp.ChosenValue = CurrentName();
    accept();
}

void FmtList::Leave()
{
    mApp.ChosenValue = mCurrent;
    reject();
}

void FmtList::Import()
{
    FormatExchange exchange(mApp);
    const FormatExchange::ImportResult result = exchange.ImportFmtFile(QString());
    if (!result.stored) return;
    FillFormatList();
    const int row = RowOf(result.name);
    if (row >= 0) {
        const QSignalBlocker block(mMSF);
        mMSF->setCurrentCell(row, FormatLibrary::kMarkColumn);
        mMSF->selectRow(row);
    }
    MSF_RowColChange();
    // Opening it at once is choosing it: the list answers with the new format.
    if (result.openNow) {
        mApp.ChosenValue = result.name;
        accept();
    }
}

void FmtList::DeleteSelected()
{
    const int current = mMSF->currentRow();
    QList<int> rows;
    for (const QModelIndex& index : mMSF->selectionModel()->selectedRows()) rows << index.row();
    if (rows.isEmpty() && current >= 0) rows << current;
    std::sort(rows.begin(), rows.end());
    mMSF->setEnabled(false);
    for (int r = 0; r < mMSF->rowCount(); ++r)
        for (int c = 0; c < mMSF->columnCount(); ++c) mMSF->item(r, c)->setForeground(QBrush());

    FormatLibrary library(mApp);
    int deleted = 0;
    for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
        const int row = *it;
        if (library.DeleteFormat(mMSF->item(row, FormatLibrary::kNameColumn)->text(), mCurrent)) {
            ++deleted;
            const QSignalBlocker block(mMSF);
            mMSF->removeRow(row);
            mGrid.RemoveRow(row + mGrid.FixedRows());
        }
    }

    {
        const QSignalBlocker block(mMSF);
        mMSF->clearSelection();
        const int back = std::min(current, mMSF->rowCount() - 1);
        if (back >= 0) {
            mMSF->setCurrentCell(back, FormatLibrary::kMarkColumn);
            mMSF->selectRow(back);
        }
    }
    MarkCurrentFormat();
    mMSF->setEnabled(true);
    MSF_RowColChange();
    mApp.ChosenValue.clear();
    // After a refusal or a "no" nothing was deleted, and nothing is said to be.
    if (deleted > 0) mApp.Prompt().Message(QStringLiteral("删除完成！"), Prompter::Icon::Information);
}

void FmtList::Export()
{
    const QString name = CurrentName();
    if (name.isEmpty()) return;
    FormatExchange(mApp).ExportFmtFile(name);
}

void FmtList::Search()
{
    const int column = mGrid.FixedCols() + 1;
    const int current = mMSF->currentRow() < 0 ? -1 : mMSF->currentRow() + mGrid.FixedRows();
    const int found = FormatLibrary(mApp).FindInGrid(mGrid, mSkey->currentText(), column, column, current);
    if (found < 0) return;
    const int row = found - mGrid.FixedRows();
    mMSF->scrollToItem(mMSF->item(row, 0), QAbstractItemView::PositionAtTop);
    mMSF->setCurrentCell(row, mGrid.FixedCols());
    mMSF->selectRow(row);
}

void FmtList::ClearKeywords()
{
    if (!mApp.Prompt().Ask(QStringLiteral("您要清除搜索关键词列表？"))) return;
    mSkey->clear();
    mSkey->setEditText(QString());
    mApp.Parameters().SetParam(KeywordListName(), QString());
}

bool FmtList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mFrm && event->type() == QEvent::Resize) {
        PlacePreview();
    } else if ((watched == mSkey || watched == mSkey->lineEdit()) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Com_Click(6);
            return true;
        }
        if (key == Qt::Key_Escape) {
            ClearKeywords();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FmtList::done(int result)
{
    WidgetPlace::SaveWindowPlace(mApp.Parameters(), *this, PlaceKey(), mApp.Screen());
    WidgetPlace::SaveKeywordList(mApp.Parameters(), *mSkey, KeywordListName());
    QDialog::done(result);
}

} // namespace kestrio
