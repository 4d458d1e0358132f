#include "StatisticsWindow.h"

#include "StatChart.h"
#include "app/AppContext.h"
#include "app/ui/MenuItem.h"
#include "app/ui/WidgetPlace.h"
#include "batch/GridExport.h"
#include "images/PictureFile.h"
#include "seams/Clock.h"
#include "seams/Prompter.h"
#include "seams/UserSettings.h"

#include <QButtonGroup>
#include <QChartView>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kestrio {

namespace {

const QString kApplication = QStringLiteral("RUR_U");

// The box list each list control shows; the condition values (Com_2) come from history.
constexpr StatBoxes::Kind kListKinds[7] = {StatBoxes::Amount, StatBoxes::Condition, StatBoxes::Condition,
                                           StatBoxes::FullDate, StatBoxes::Year, StatBoxes::Month, StatBoxes::Day};
constexpr int kValueList = 2;

QGroupBox* OptionPair(const QString& title, QRadioButton* first, QRadioButton* second, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QHBoxLayout(box);
    layout->addWidget(first);
    layout->addWidget(second);
    auto* group = new QButtonGroup(box);
    group->addButton(first);
    group->addButton(second);
    first->setChecked(true);
    return box;
}

} // namespace

StatisticsWindow::StatisticsWindow(AppContext& app, const QString& format, QWidget* parent)
    : QWidget(parent, Qt::Window), mApp(app), mFormat(format)
{
    setObjectName(QStringLiteral("Analyse"));
    setWindowTitle(Caption());
    mSplit = new QSplitter(Qt::Horizontal, this);
    mSplit->setObjectName(QStringLiteral("SplitLine"));
    mSplit->addWidget(BuildResults());
    mChart = new StatChart;
    mChartView = new QChartView(mChart, mSplit);
    mChartView->setObjectName(QStringLiteral("Pic"));
    mChartView->setRenderHint(QPainter::Antialiasing);
    mChartView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(mChartView, &QWidget::customContextMenuRequested, this, &StatisticsWindow::ShowChartMenu);
    mSplit->addWidget(mChartView);
    mSplit->setStretchFactor(1, 1);
    connect(mSplit, &QSplitter::splitterMoved, this, [this] { SaveSplit(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildSettings());
    layout->addWidget(mSplit, 1);
    FillLists();
    RestoreChoices();
    UpdateEnabled();
    resize(1000, 680);
    RestoreSplit();
}

StatisticsWindow::~StatisticsWindow() = default;

QWidget* StatisticsWindow::BuildSettings()
{
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    const QDate today = mApp.Time().Today();
    for (int i = 0; i < 2; ++i) {
        mDates[i] = new QDateEdit(i == 0 ? QDate(today.year(), 1, 1) : today, panel);
        mDates[i]->setObjectName(QStringLiteral("DTP_%1").arg(i));
        mDates[i]->setCalendarPopup(true);
        mDates[i]->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    const QStringList optionTexts{QStringLiteral("单据数量"), QStringLiteral("开具金额"), QStringLiteral("综合统计"),
                                  QStringLiteral("条件统计"), QStringLiteral("完整日期"), QStringLiteral("组合日期")};
    for (int i = 0; i < 6; ++i) {
        mOptions[i] = new QRadioButton(optionTexts[i], panel);
        mOptions[i]->setObjectName(QStringLiteral("Op_%1").arg(i));
        connect(mOptions[i], &QRadioButton::toggled, this, &StatisticsWindow::UpdateEnabled);
    }
    for (int i = 0; i < 7; ++i) {
        mLists[i] = new QComboBox(panel);
        mLists[i]->setObjectName(QStringLiteral("Com_%1").arg(i));
        mLists[i]->setMinimumContentsLength(8);
    }
    mLists[kValueList]->setEditable(true);
    connect(mLists[1], &QComboBox::currentIndexChanged, this, &StatisticsWindow::FillConditionValues);

    const auto label = [panel](const char* text) { return new QLabel(QString::fromUtf8(text), panel); };
    grid->addWidget(label("统计日期从："), 0, 0);
    grid->addWidget(mDates[0], 0, 1);
    grid->addWidget(label("至："), 0, 2);
    grid->addWidget(mDates[1], 0, 3);
    // One row per option pair, with the box list that goes with it.
    const struct {
        const char* title;
        const char* listLabel;
        int list;
    } rows[] = {{"统计内容", "金额框：", 0}, {"统计范围", "条件框：", 1}, {"日期来源", "日期框：", 3}};
    for (int row = 1; row <= 3; ++row) {
        const auto& r = rows[row - 1];
        grid->addWidget(OptionPair(QString::fromUtf8(r.title), mOptions[2 * row - 2], mOptions[2 * row - 1], panel), row, 0, 1, 2);
        grid->addWidget(label(r.listLabel), row, 2);
        grid->addWidget(mLists[r.list], row, 3);
    }
    grid->addWidget(label("条件值："), 2, 4);
    grid->addWidget(mLists[kValueList], 2, 5);
    auto* parts = new QHBoxLayout;
    for (int i = 4; i < 7; ++i) {
        parts->addWidget(label(i == 4 ? "年：" : i == 5 ? "月：" : "日："));
        parts->addWidget(mLists[i]);
    }
    grid->addLayout(parts, 3, 4, 1, 3);
    auto* run = new QPushButton(QStringLiteral("开始统计"), panel);
    run->setObjectName(QStringLiteral("CmdAnalyse"));
    connect(run, &QPushButton::clicked, this, &StatisticsWindow::RunAnalysis);
    grid->addWidget(run, 0, 6);
    return panel;
}

QWidget* StatisticsWindow::BuildResults()
{
    auto* pane = new QWidget(this);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    mGrid = new QTableWidget(pane);
    mGrid->setObjectName(QStringLiteral("MSF"));
    mGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mGrid->verticalHeader()->hide();
    mGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(mGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        AddMenuItem(menu, QStringLiteral("mOutMSF"), QStringLiteral("导出表格"), true, this, [this] { ExportTable(); });
        menu.exec(mGrid->viewport()->mapToGlobal(at));
    });
    mLeftOut = new QLabel(pane);
    mLeftOut->setObjectName(QStringLiteral("LeftOut"));
    mLeftOut->setWordWrap(true);
    layout->addWidget(mGrid, 1);
    layout->addWidget(mLeftOut);
    return pane;
}

void StatisticsWindow::FillLists()
{
    mElements = StatBoxes::LoadElements(mApp.DbOp(), mFormat);
    for (int i = 0; i < 7; ++i) {
        if (i == kValueList) continue;
        mBoxes[i] = StatBoxes::Build(kListKinds[i], mElements);
        QSignalBlocker quiet(mLists[i]);
        mLists[i]->clear();
        for (const StatBox& box : mBoxes[i]) mLists[i]->addItem(box.label);
        mLists[i]->setCurrentIndex(i == 0 ? StatBoxes::AmountPresetIndex(mBoxes[i]) : StatBoxes::PresetIndex(mBoxes[i]));
    }
    FillConditionValues();
}

void StatisticsWindow::FillConditionValues()
{
    const int chosen = mLists[1]->currentIndex();
    mLists[kValueList]->clear();
    if (chosen >= 0)
        mLists[kValueList]->addItems(StatBoxes::ConditionValues(mApp.DbOp(), mFormat, mBoxes[1].value(chosen)));
    mLists[kValueList]->setCurrentIndex(-1);
}

void StatisticsWindow::UpdateEnabled()
{
    mLists[0]->setEnabled(mOptions[1]->isChecked());
    mLists[1]->setEnabled(mOptions[3]->isChecked());
    mLists[kValueList]->setEnabled(mOptions[3]->isChecked());
    mLists[3]->setEnabled(mOptions[4]->isChecked());
    for (int i = 4; i < 7; ++i) mLists[i]->setEnabled(mOptions[5]->isChecked());
}

StatRequest StatisticsWindow::Request() const
{
    StatRequest request;
    request.format = mFormat;
    request.from = mDates[0]->date();
    request.to = mDates[1]->date();
    request.sumAmounts = mOptions[1]->isChecked();
    request.byCondition = mOptions[3]->isChecked();
    request.fullDate = mOptions[4]->isChecked();
    const auto chosen = [this](int list) { return mBoxes[list].value(mLists[list]->currentIndex()); };
    request.amountBox = chosen(0);
    request.conditionBox = chosen(1);
    request.conditionValue = mLists[kValueList]->currentText();
    request.dateBox = chosen(3);
    request.yearBox = chosen(4);
    request.monthBox = chosen(5);
    request.dayBox = chosen(6);
    return request;
}

bool StatisticsWindow::RunAnalysis()
{
    const StatRequest request = Request();
    const QString problem = MonthlyStatistics::Check(request);
    if (!problem.isEmpty()) {
        mApp.Prompt().Message(problem, Prompter::Icon::Warning);
        return false;
    }
    SaveChoices();
    setEnabled(false); // no second run starts while the progress window lets events through
    mResult = MonthlyStatistics(mApp.DbOp(), mApp.Indicator()).Analyse(request);
    setEnabled(true);
    if (!mResult.error.isEmpty()) mApp.Prompt().Message(QStringLiteral("无法读取历史记录：") + mResult.error, Prompter::Icon::Critical);
    ShowResult();
    return mResult.error.isEmpty();
}

void StatisticsWindow::ShowResult()
{
    const Grid grid = mResult.ToGrid();
    mGrid->clear();
    mGrid->setRowCount(grid.RowCount() - 1);
    mGrid->setColumnCount(grid.ColCount());
    for (int col = 0; col < grid.ColCount(); ++col) {
        mGrid->setHorizontalHeaderItem(col, new QTableWidgetItem(grid.Text(0, col)));
        mGrid->setColumnWidth(col, WidgetPlace::ToPixelsX(grid.ColumnWidth(col)));
    }
    for (int row = 1; row < grid.RowCount(); ++row)
        for (int col = 0; col < grid.ColCount(); ++col) {
            auto* item = new QTableWidgetItem(grid.Text(row, col));
            if (col != 1) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            mGrid->setItem(row - 1, col, item);
        }
    mLeftOut->setText(mResult.LeftOutNote());
    mChart->Show(mResult);
}

QImage StatisticsWindow::ChartPicture() const
{
    return mChartView->grab().toImage();
}

bool StatisticsWindow::ExportTable()
{
    return GridExport(mApp.Prompt(), mApp.Indicator()).ExportGrid(mResult.ToGrid(), StatResult::SheetTitle());
}

bool StatisticsWindow::ExportPicture()
{
    return PictureFile::SaveAsJpeg(mApp.Prompt(), ChartPicture()) == PictureFile::SaveResult::Saved;
}

void StatisticsWindow::ShowChartMenu(const QPoint& at)
{
    QMenu menu(this);
    AddMenuItem(menu, QStringLiteral("mOutMSF"), QStringLiteral("导出表格"), true, this, [this] { ExportTable(); });
    AddMenuItem(menu, QStringLiteral("mOutPic"), QStringLiteral("导出图片"), true, this, [this] { ExportPicture(); });
    menu.exec(mChartView->mapToGlobal(at));
}

// The split line's place is the width of the grid side, in twips.
void StatisticsWindow::RestoreSplit()
{
    bool ok = false;
    const int twips =
        mApp.Settings().ReadUserSetting(kApplication, SplitSection(), SplitKey(), QString()).toInt(&ok);
    const int left = ok && twips > 0 ? WidgetPlace::ToPixelsX(twips) : 320;
    mSplit->setSizes({left, qMax(1, width() - left)});
}

void StatisticsWindow::SaveSplit()
{
    const int left = mSplit->sizes().value(0);
    mApp.Settings().WriteUserSetting(kApplication, SplitSection(), SplitKey(),
                                     QString::number(WidgetPlace::ToTwipsX(left)));
}

QString StatisticsWindow::ChoicesSection() const
{
    return QStringLiteral("统计_") + mFormat;
}

// One setting per choice: the options ticked, each box list by the label chosen, the
// condition value and the two dates.
void StatisticsWindow::SaveChoices()
{
    UserSettings& settings = mApp.Settings();
    const QString section = ChoicesSection();
    QString options;
    for (QRadioButton* option : mOptions) options += option->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
    settings.WriteUserSetting(kApplication, section, QStringLiteral("选项"), options);
    for (int i = 0; i < 7; ++i)
        settings.WriteUserSetting(kApplication, section, QStringLiteral("列表%1").arg(i), mLists[i]->currentText());
    for (int i = 0; i < 2; ++i)
        settings.WriteUserSetting(kApplication, section, QStringLiteral("日期%1").arg(i),
                                  mDates[i]->date().toString(Qt::ISODate));
}

void StatisticsWindow::RestoreChoices()
{
    UserSettings& settings = mApp.Settings();
    const QString section = ChoicesSection();
    const QString options = settings.ReadUserSetting(kApplication, section, QStringLiteral("选项"), QString());
    if (options.size() == static_cast<qsizetype>(std::size(mOptions)))
        for (std::size_t i = 0; i < std::size(mOptions); ++i)
            if (options[static_cast<qsizetype>(i)] == QLatin1Char('1')) mOptions[i]->setChecked(true);
    for (int i = 0; i < 7; ++i) {
        const QString chosen = settings.ReadUserSetting(kApplication, section, QStringLiteral("列表%1").arg(i), QString());
        if (chosen.isEmpty()) continue;
        // A box deleted since keeps the preset; the condition value may be any text.
        const int index = mLists[i]->findText(chosen);
        if (index >= 0) mLists[i]->setCurrentIndex(index);
        else if (i == kValueList) mLists[i]->setEditText(chosen);
    }
    for (int i = 0; i < 2; ++i) {
        const QDate date = QDate::fromString(
            settings.ReadUserSetting(kApplication, section, QStringLiteral("日期%1").arg(i), QString()), Qt::ISODate);
        if (date.isValid()) mDates[i]->setDate(date);
    }
}

void StatisticsWindow::closeEvent(QCloseEvent* event)
{
    SaveSplit();
    event->accept();
}

} // namespace kestrio
