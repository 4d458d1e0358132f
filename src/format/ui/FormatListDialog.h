#pragma once

#include "format/Grid.h"

#include <QDialog>
#include <QPixmap>
#include <QString>

#include <array>

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
    static QString ChooseFormat(AppContext& app, QWidget* parent, bool force, const QString& current);

    // The buttons by index: 0 "选 择", 1 "退 出", 2 "下载更多…" (hidden until the web
    // catalogue is there), 3 "导 入", 4 "删 除", 5 "导 出", 6 "搜索".
    static constexpr int ButtonCount = 7;
    QPushButton* Button(int index) const { return mButtons.at(static_cast<std::size_t>(index)); }
    QTableWidget* Table() const { return mTable; }
    QComboBox* KeywordBox() const { return mKeywordBox; }
    QFrame* PreviewFrame() const { return mPreviewFrame; }
    QLabel* PreviewImage() const { return mPreviewImage; }
    QScrollBar* ScrollBar() const { return mVerticalBar; }
    QLabel* NoPictureLabel() const { return mLBL; }

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
    void PlacePreview();
    void OnScrolled(int value);

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
    Grid mGrid; // the list as the database gives it: row 0 names, row 1 headers, formats after
    QTableWidget* mTable = nullptr;
    QComboBox* mKeywordBox = nullptr;
    QFrame* mPreviewFrame = nullptr;
    QLabel* mPreviewImage = nullptr;
    QScrollBar* mVerticalBar = nullptr;
    QLabel* mLBL = nullptr;
    std::array<QPushButton*, ButtonCount> mButtons{};
    QPixmap mPicture; // the shown background; null when the format has none
};

} // namespace kestrio
