#include "format/ui/FormatListDialog.h"

#include "app/ui/WidgetPlace.h"
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

FormatListDialog::FormatListDialog(AppContext& app, const QString& currentFormat, QWidget* parent)
    : QDialog(parent), mApp(app), mCurrent(currentFormat)
{
    setObjectName(QStringLiteral("FmtList"));
    setWindowTitle(Caption());
    BuildControls();
    OnLoad();
}

QString FormatListDialog::ChooseFormat(AppContext& app, QWidget* parent, bool force, const QString& current)
{
    app.ChosenValue.clear();
    {
        FormatListDialog list(app, current, parent);
        list.exec();
    }
    const QString name = app.ChosenValue;
    if (name.isEmpty() || (name == current && !force)) return {};
    return name;
}

void FormatListDialog::BuildControls()
{
    mTable = new QTableWidget(this);
    mTable->setObjectName(QStringLiteral("MSF"));
    mTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    mTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    mTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mTable->verticalHeader()->setVisible(false);
    mTable->setWordWrap(false);
    connect(mTable, &QTableWidget::currentCellChanged, this, [this] { OnRowChanged(); });
    connect(mTable, &QTableWidget::cellDoubleClicked, this, [this] { OnButtonClicked(0); });

    mKeywordBox = new QComboBox(this);
    mKeywordBox->setObjectName(QStringLiteral("Skey"));
    mKeywordBox->setEditable(true);
    mKeywordBox->setInsertPolicy(QComboBox::NoInsert);
    mKeywordBox->setMinimumWidth(160);
    mKeywordBox->installEventFilter(this);
    if (mKeywordBox->lineEdit()) mKeywordBox->lineEdit()->installEventFilter(this);

    mPreviewFrame = new QFrame(this);
    mPreviewFrame->setObjectName(QStringLiteral("Frm"));
    mPreviewFrame->setFrameShape(QFrame::StyledPanel);
    mPreviewFrame->setMinimumSize(260, 200);
    mPreviewFrame->installEventFilter(this);
    mPreviewImage = new QLabel(mPreviewFrame);
    mPreviewImage->setObjectName(QStringLiteral("Img"));
    mPreviewImage->setScaledContents(true);
    mLBL = new QLabel(QStringLiteral("此格式暂无图片！"), mPreviewFrame);
    mLBL->setObjectName(QStringLiteral("LBL"));
    mLBL->setAlignment(Qt::AlignCenter);
    mLBL->hide();
    mVerticalBar = new QScrollBar(Qt::Vertical, this);
    mVerticalBar->setObjectName(QStringLiteral("VS"));
    mVerticalBar->setEnabled(false);
    connect(mVerticalBar, &QScrollBar::valueChanged, this, &FormatListDialog::OnScrolled);

    const std::array<QString, ButtonCount> captions{
        QStringLiteral("选 择"), QStringLiteral("退 出"), QStringLiteral("下载更多…"), QStringLiteral("导 入"),
        QStringLiteral("删 除"), QStringLiteral("导 出"), QStringLiteral("搜索")};
    for (int i = 0; i < ButtonCount; ++i) {
        auto* button = new QPushButton(captions[static_cast<std::size_t>(i)], this);
        button->setObjectName(QStringLiteral("Com_%1").arg(i));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { OnButtonClicked(i); });
        mButtons[static_cast<std::size_t>(i)] = button;
    }
    // The web catalogue is not there yet; its button keeps its place in the row.
    Button(2)->hide();

    auto* search = new QHBoxLayout;
    search->addWidget(new QLabel(QStringLiteral("格式名称："), this));
    search->addWidget(mKeywordBox, 1);
    search->addWidget(Button(6));

    auto* left = new QVBoxLayout;
    left->addLayout(search);
    left->addWidget(mTable, 1);

    auto* preview = new QHBoxLayout;
    preview->setSpacing(0);
    preview->addWidget(mPreviewFrame, 1);
    preview->addWidget(mVerticalBar);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 3);
    top->addLayout(preview, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (const int i : {0, 2, 3, 4, 5, 1}) buttons->addWidget(Button(i));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    resize(760, 460);
}

void FormatListDialog::OnLoad()
{
    WidgetPlace::RestoreWindowPlace(mApp.Parameters(), *this, PlaceKey(), mApp.Screen());
    FillFormatList();
    WidgetPlace::LoadKeywordList(mApp.Parameters(), *mKeywordBox, KeywordListName());
    mTable->setEnabled(true);
    OnRowChanged();
}

void FormatListDialog::FillFormatList()
{
    const int current = FormatLibrary(mApp).FillFormatList(mGrid, mCurrent);
    const QSignalBlocker block(mTable);
    ShowRows();
    const int row = current >= 0 ? current - mGrid.FixedRows() : (mTable->rowCount() > 0 ? 0 : -1);
    if (row >= 0) {
        mTable->setCurrentCell(row, FormatLibrary::kMarkColumn);
        mTable->selectRow(row);
    }
    MarkCurrentFormat();
}

void FormatListDialog::ShowRows()
{
    const int first = mGrid.FixedRows();
    mTable->clear();
    mTable->setColumnCount(mGrid.ColCount());
    QStringList headers;
    for (int c = 0; c < mGrid.ColCount(); ++c) headers << mGrid.Text(1, c);
    mTable->setHorizontalHeaderLabels(headers);
    mTable->setRowCount(mGrid.RowCount() - first);
    for (int r = first; r < mGrid.RowCount(); ++r)
        for (int c = 0; c < mGrid.ColCount(); ++c) {
            auto* item = new QTableWidgetItem(mGrid.Text(r, c));
            if (c == FormatLibrary::kMarkColumn) item->setTextAlignment(Qt::AlignCenter);
            mTable->setItem(r - first, c, item);
        }
    mTable->resizeColumnsToContents();
}

void FormatListDialog::MarkCurrentFormat()
{
    for (int r = 0; r < mTable->rowCount(); ++r) {
        const bool current = mTable->item(r, FormatLibrary::kNameColumn)->text() == mCurrent;
        for (int c = 0; c < mTable->columnCount(); ++c)
            mTable->item(r, c)->setForeground(current ? QBrush(kCurrentFormatColour) : QBrush());
    }
}

QStringList FormatListDialog::Names() const
{
    QStringList names;
    for (int r = 0; r < mTable->rowCount(); ++r) names << mTable->item(r, FormatLibrary::kNameColumn)->text();
    return names;
}

QString FormatListDialog::CurrentName() const
{
    const int row = mTable->currentRow();
    if (row < 0 || row >= mTable->rowCount()) return {};
    return mTable->item(row, FormatLibrary::kNameColumn)->text();
}

int FormatListDialog::RowOf(const QString& name) const
{
    return static_cast<int>(Names().indexOf(name));
}

void FormatListDialog::OnRowChanged()
{
    if (!mTable->isEnabled()) return;
    const int current = mTable->currentRow();
    for (int r = 0; r < mTable->rowCount(); ++r) {
        const QString mark = r == current ? QStringLiteral("√") : QString();
        mTable->item(r, FormatLibrary::kMarkColumn)->setText(mark);
        mGrid.SetText(r + mGrid.FixedRows(), FormatLibrary::kMarkColumn, mark);
    }
    ShowPreview(CurrentName());
}

void FormatListDialog::ShowPreview(const QString& name)
{
    mPicture = QPixmap();
    mPreviewImage->clear();
    const QString path = BackgroundImages::BackgroundPath(mApp.Paths().Folder(), name);
    if (!name.isEmpty() && BackgroundImages::HasBackground(mApp.Paths().Folder(), name)) mPicture.load(path);
    mLBL->setVisible(mPicture.isNull());
    mPreviewImage->setVisible(!mPicture.isNull());
    if (!mPicture.isNull()) mPreviewImage->setPixmap(mPicture);
    PlacePreview();
}

// The picture fills the frame's width keeping its proportions; a taller one scrolls, the bar
// running to ten steps for every frame height of picture.
void FormatListDialog::PlacePreview()
{
    const int width = mPreviewFrame->width(), height = mPreviewFrame->height();
    mLBL->setGeometry(0, 0, width, height);
    const QSignalBlocker block(mVerticalBar);
    if (mPicture.isNull() || mPicture.width() == 0) {
        mPreviewImage->setGeometry(0, 0, width, height);
        mVerticalBar->setValue(0);
        mVerticalBar->setEnabled(false);
        return;
    }
    const BackgroundCommands::PreviewFit fit = BackgroundCommands::FitPreview(mPicture.size(), width, height);
    mPreviewImage->setGeometry(0, 0, width, static_cast<int>(std::nearbyint(fit.imageHeight)));
    mVerticalBar->setValue(0);
    mVerticalBar->setEnabled(fit.scrollEnabled);
    if (fit.scrollEnabled) {
        mVerticalBar->setRange(0, fit.scrollMax);
        mVerticalBar->setSingleStep(fit.smallChange);
        mVerticalBar->setPageStep(fit.largeChange);
    }
}

void FormatListDialog::OnScrolled(int value)
{
    if (mPicture.isNull() || mVerticalBar->maximum() <= 0) return;
    const int hidden = std::max(0, mPreviewImage->height() - mPreviewFrame->height());
    mPreviewImage->move(0, -static_cast<int>(std::nearbyint(static_cast<double>(hidden) * value / mVerticalBar->maximum())));
}

void FormatListDialog::OnButtonClicked(int index)
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

void FormatListDialog::Choose()
{
    mApp.ChosenValue = CurrentName();
    accept();
}

void FormatListDialog::Leave()
{
    mApp.ChosenValue = mCurrent;
    reject();
}

void FormatListDialog::Import()
{
    FormatExchange exchange(mApp);
    const FormatExchange::ImportResult result = exchange.ImportFmtFile(QString());
    if (!result.stored) return;
    FillFormatList();
    const int row = RowOf(result.name);
    if (row >= 0) {
        const QSignalBlocker block(mTable);
        mTable->setCurrentCell(row, FormatLibrary::kMarkColumn);
        mTable->selectRow(row);
    }
    OnRowChanged();
    // Opening it at once is choosing it: the list answers with the new format.
    if (result.openNow) {
        mApp.ChosenValue = result.name;
        accept();
    }
}

void FormatListDialog::DeleteSelected()
{
    const int current = mTable->currentRow();
    QList<int> rows;
    for (const QModelIndex& index : mTable->selectionModel()->selectedRows()) rows << index.row();
    if (rows.isEmpty() && current >= 0) rows << current;
    std::sort(rows.begin(), rows.end());
    mTable->setEnabled(false);
    for (int r = 0; r < mTable->rowCount(); ++r)
        for (int c = 0; c < mTable->columnCount(); ++c) mTable->item(r, c)->setForeground(QBrush());

    FormatLibrary library(mApp);
    for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
        const int row = *it;
        if (library.DeleteFormat(mTable->item(row, FormatLibrary::kNameColumn)->text(), mCurrent)) {
            const QSignalBlocker block(mTable);
            mTable->removeRow(row);
            mGrid.RemoveRow(row + mGrid.FixedRows());
        }
    }

    {
        const QSignalBlocker block(mTable);
        mTable->clearSelection();
        const int back = std::min(current, mTable->rowCount() - 1);
        if (back >= 0) {
            mTable->setCurrentCell(back, FormatLibrary::kMarkColumn);
            mTable->selectRow(back);
        }
    }
    MarkCurrentFormat();
    mTable->setEnabled(true);
    OnRowChanged();
    mApp.ChosenValue.clear();
    mApp.Prompt().Message(QStringLiteral("删除完成！"), Prompter::Icon::Information);
}

void FormatListDialog::Export()
{
    const QString name = CurrentName();
    if (name.isEmpty()) return;
    FormatExchange(mApp).ExportFmtFile(name);
}

void FormatListDialog::Search()
{
    const int column = mGrid.FixedCols() + 1;
    const int current = mTable->currentRow() < 0 ? -1 : mTable->currentRow() + mGrid.FixedRows();
    const int found = FormatLibrary(mApp).FindInGrid(mGrid, mKeywordBox->currentText(), column, column, current);
    if (found < 0) return;
    const int row = found - mGrid.FixedRows();
    mTable->scrollToItem(mTable->item(row, 0), QAbstractItemView::PositionAtTop);
    mTable->setCurrentCell(row, mGrid.FixedCols());
    mTable->selectRow(row);
}

void FormatListDialog::ClearKeywords()
{
    if (!mApp.Prompt().Ask(QStringLiteral("您要清除搜索关键词列表？"))) return;
    mKeywordBox->clear();
    mKeywordBox->setEditText(QString());
    mApp.Parameters().SetParam(KeywordListName(), QString());
}

bool FormatListDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mPreviewFrame && event->type() == QEvent::Resize) {
        PlacePreview();
    } else if ((watched == mKeywordBox || watched == mKeywordBox->lineEdit()) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OnButtonClicked(6);
            return true;
        }
        if (key == Qt::Key_Escape) {
            ClearKeywords();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FormatListDialog::done(int result)
{
    WidgetPlace::SaveWindowPlace(mApp.Parameters(), *this, PlaceKey(), mApp.Screen());
    WidgetPlace::SaveKeywordList(mApp.Parameters(), *mKeywordBox, KeywordListName());
    QDialog::done(result);
}

} // namespace kestrio
