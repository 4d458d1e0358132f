#pragma once

#include "stats/MonthlyStatistics.h"

#include <QWidget>

class QButtonGroup;
class QChartView;
class QComboBox;
class QDateEdit;
class QLabel;
class QRadioButton;
class QSplitter;
class QTableWidget;

namespace kestrio {

class AppContext;
class StatChart;

// The statistics window `Analyse` "数据统计分析" of one format: the date range DTP_0/DTP_1,
// the option pairs Op_0/Op_1 (单据数量/开具金额), Op_2/Op_3 (综合统计/条件统计) and Op_4/Op_5
// (完整日期/组合日期), the box lists Com_0 … Com_6, the month grid MSF with a note about
// bills left out, and the chart Pic beside it behind the movable split line SplitLine,
// whose place is kept in the user settings. The chart's context menu exports the grid or
// the picture.
class StatisticsWindow final : public QWidget {
    Q_OBJECT

public:
    StatisticsWindow(AppContext& app, const QString& format, QWidget* parent = nullptr);
    ~StatisticsWindow() override;

    // Runs the statistic as set (the "开始统计" button); false when a setting is missing.
    bool RunAnalysis();
    // The request the controls describe now.
    StatRequest Request() const;

    // The chart's context menu commands.
    bool ExportTable();
    bool ExportPicture();

    const StatResult& Result() const { return mResult; }
    QImage ChartPicture() const;
    QTableWidget* ResultGrid() const { return mGrid; }
    QComboBox* BoxList(int index) const { return mLists[index]; }
    QRadioButton* Option(int index) const { return mOptions[index]; }
    QDateEdit* DatePicker(int index) const { return mDates[index]; }
    QSplitter* SplitLine() const { return mSplit; }
    QLabel* LeftOutLabel() const { return mLeftOut; }

    static QString Caption() { return QStringLiteral("数据统计分析"); }
    static QString SplitSection() { return QStringLiteral("位置"); }
    static QString SplitKey() { return QStringLiteral("统计_分界线"); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* BuildSettings();
    QWidget* BuildResults();
    void FillLists();
    void FillConditionValues();
    void UpdateEnabled();
    void ShowResult();
    void ShowChartMenu(const QPoint& at);
    void RestoreSplit();
    void SaveSplit();
    // The choices of the last run on this format come back when the window opens again.
    void RestoreChoices();
    void SaveChoices();
    QString ChoicesSection() const;

    AppContext& mApp;
    QString mFormat;
    QVector<StatBoxes::Element> mElements;
    QVector<StatBox> mBoxes[7];
    StatResult mResult;

    QDateEdit* mDates[2] = {};
    QRadioButton* mOptions[6] = {};
    QComboBox* mLists[7] = {};
    QTableWidget* mGrid = nullptr;
    QLabel* mLeftOut = nullptr;
    QChartView* mChartView = nullptr;
    StatChart* mChart = nullptr;
    QSplitter* mSplit = nullptr;
};

} // namespace kestrio
