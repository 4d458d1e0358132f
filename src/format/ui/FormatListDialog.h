#pragma once

#include "format/Grid.h"
#include "images/ui/PicturePreview.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QScrollBar;
class QTableWidget;

namespace kestrio {

class AppContext;

// "选择/管理格式模板": the formats of the library in a grid with the background of the
// selected one beside it; choosing, importing, exporting, deleting and searching formats.
// The answer goes to the program's ChosenValue: the chosen name, or empty for cancel.
// Every named control carries its name as objectName ("MSF", "Skey", "Com_0" …).
class FormatListDialog final : public QDialog {
    Q_OBJECT

public:
    // `currentFormat` is the format the main window shows (marked in the list, never deleted).
    FormatListDialog(AppContext& app, const QString& currentFormat, QWidget* parent = nullptr);

    static QString Caption() { return QStringLiteral("选择/管理格式模板"); }
    // The key under which the window's place is kept, and the name of its keyword list.
    static QString PlaceKey() { return QStringLiteral("格式模板列表"); }
    static QString KeywordListName() { return QStringLiteral("格式查找"); }

    // Opens the list modally over `parent` and returns the chosen format: empty for cancel,
    // and also for the current format unless `force` is set. ChosenValue holds the answer.
    // With `downloadMore` the button "下载更多…" closes the list and calls it; the format it
    // returns (one downloaded and wanted at once) is the answer.
    static QString ChooseFormat(AppContext& app, QWidget* parent, bool force, const QString& current,
                                const std::function<QString()>& downloadMore = {});

    // "下载更多…" is shown and closes the list, which then reports DownloadWanted().
    void OfferDownloads();
    bool DownloadWanted() const { return mDownloadWanted; }

    // The buttons by index: 0 "选 择", 1 "退 出", 2 "下载更多…" (hidden unless downloads are
    // offered), 3 "导 入", 4 "删 除", 5 "导 出", 6 "搜索".
    static constexpr int ButtonCount = 7;
    QPushButton* Button(int index) const { return mButtons.at(static_cast<std::size_t>(index)); }
    QTableWidget* Table() const { return mTable; }
    QComboBox* KeywordBox() const { return mKeywordBox; }
    QFrame* PreviewFrame() const { return mPreview->Frame(); }
    QLabel* PreviewImage() const { return mPreview->Image(); }
    QScrollBar* ScrollBar() const { return mPreview->ScrollBar(); }
    QLabel* NoPictureLabel() const { return mPreview->NoPictureLabel(); }

    // The format names in the grid, top to bottom, and the name in the current row.
    QStringList Names() const;
    QString CurrentName() const;
    // The grid row (0 = first format) showing `name`; -1 when none.
    int RowOf(const QString& name) const;

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnLoad();
    void BuildControls();
    void FillFormatList();
    void ShowRows();
    void MarkCurrentFormat();
    void OnRowChanged();
    void ShowPreview(const QString& name);

    void OnButtonClicked(int index);
    void Choose();
    void Leave();
    void Import();
    void DeleteSelected();
    void Export();
    void Search();
    void ClearKeywords();

    AppContext& mApp;
    QString mCurrent;
    bool mDownloadWanted = false;
    Grid mGrid; // the list as the database gives it: row 0 names, row 1 headers, formats after
    QTableWidget* mTable = nullptr;
    QComboBox* mKeywordBox = nullptr;
    PicturePreview* mPreview = nullptr; // the background of the format in the current row
    std::array<QPushButton*, ButtonCount> mButtons{};
};

} // namespace kestrio
