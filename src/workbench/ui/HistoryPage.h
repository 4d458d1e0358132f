#pragma once

#include "entry/HistoryGrid.h"
#include "print/PrintDestination.h"

#include <QWidget>

#include <functional>
#include <memory>

class QLineEdit;
class QPushButton;
class QTableView;

namespace kestrio {

class AppContext;
class HistoryGridModel;
class Workspace;

// The history page of the main window: the grid MSF_2 with the bills of the open format
// (newest first, boxes as columns), the buttons "显示全部", "删除所选", "清空记录" and "重新打印",
// and the search field KWord (Enter finds the next bill holding its text). The view's
// selection is handed to the history grid before every command and read back after it.
class HistoryPage final : public QWidget {
    Q_OBJECT

public:
    using DestinationFactory = std::function<std::unique_ptr<PrintDestination>()>;
    using FrameWidth = std::function<double()>;

    HistoryPage(AppContext& app, Workspace& ws, QWidget* parent = nullptr);
    ~HistoryPage() override;

    // Loads the newest rows of the open format's history (when the tab is shown).
    void ShowHistory();
    // A bill was printed or saved: the grid reloads when it is next shown.
    void Invalidate();

    // Where reprinted bills go (tests); the default is the printer chosen in "选择打印机".
    void SetDestinationFactory(DestinationFactory factory) { mMakeDestination = std::move(factory); }
    // The canvas frame width in twips for fitted fonts; the default 0 takes a full screen's.
    void SetFrameWidth(FrameWidth frameWidth) { mFrameWidth = std::move(frameWidth); }

    // The commands behind the buttons and the search field.
    void ShowAll();
    bool DeleteSelected();
    bool ClearAll();
    void Reprint();
    bool Find(const QString& keyword);

    HistoryGrid& History() { return mGrid; }
    QTableView* View() const { return mView; }
    QLineEdit* KWord() const { return mKWord; }
    QPushButton* ShowAllButton() const { return mShowAll; }
    QPushButton* DeleteButton() const { return mDelete; }
    QPushButton* ClearButton() const { return mClear; }
    QPushButton* ReprintButton() const { return mReprint; }

    static QString ShowAllCaption() { return QStringLiteral("显示全部"); }
    static QString DeleteCaption() { return QStringLiteral("删除所选"); }
    static QString ClearCaption() { return QStringLiteral("清空记录"); }
    static QString ReprintCaption() { return QStringLiteral("重新打印"); }
    static QString FindCaption() { return QStringLiteral("查找："); }

signals:
    // One bill of the history was put into the boxes: the canvas shows it now.
    void billLoaded();
    // The reprint found no bills and showed the history instead.
    void historyShown();

private:
    void Load(int limit);
    void Refresh();
    // The view's current cell and selection into the history grid, and back.
    void PushSelection();
    void PullSelection();

    AppContext& mApp;
    Workspace& mWs;
    HistoryGrid mGrid;
    std::unique_ptr<HistoryGridModel> mModel;
    QTableView* mView = nullptr;
    QLineEdit* mKWord = nullptr;
    QPushButton* mShowAll = nullptr;
    QPushButton* mDelete = nullptr;
    QPushButton* mClear = nullptr;
    QPushButton* mReprint = nullptr;
    DestinationFactory mMakeDestination;
    FrameWidth mFrameWidth;
    bool mLoading = false;
};

} // namespace kestrio
