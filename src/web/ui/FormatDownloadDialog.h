#pragma once

#include "format/Grid.h"
#include "web/NetworkHttpClient.h"
#include "web/WebCatalogue.h"

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kestrio {

class AppContext;
class PicturePreview;

// "可供下载的格式模板": the web catalogue in a grid with the picture of the selected format
// beside it; updating the list, searching it, setting the server's address and downloading
// a format, which is then imported. Every request runs while the window stays live; the
// buttons that would start a second download meanwhile are disabled, "取消" and closing the
// window end the request.
// Object names: "FmtDown", grid "MSF", search field "Skey", buttons "Com_0" "导入格式",
// "Com_1" "更新列表", "Com_2" "搜索", "WebAddress" "网站地址…", "Cancel" "取消", the status
// line "Status".
class FormatDownloadDialog final : public QDialog {
    Q_OBJECT

public:
    explicit FormatDownloadDialog(AppContext& app, QWidget* parent = nullptr);
    ~FormatDownloadDialog() override;

    static QString Caption() { return QStringLiteral("可供下载的格式模板"); }
    static QString PlaceKey() { return QStringLiteral("网站格式模板列表"); }

    // Opens the window modally; the name of an imported format the user wants opened at once,
    // else empty (also kept in ChosenValue).
    static QString DownloadFormats(AppContext& app, QWidget* parent);

    static constexpr int ButtonCount = 3;
    QPushButton* Com(int index) const { return mCom.at(static_cast<std::size_t>(index)); }
    QTableWidget* MSF() const { return mMSF; }
    QLineEdit* Skey() const { return mSkey; }
    QLabel* Status() const { return mStatus; }
    QPushButton* CancelButton() const { return mCancel; }
    PicturePreview* Preview() const { return mPreview; }
    // Names in the grid, top to bottom.
    QStringList Names() const;
    // True while the list or a format is being fetched.
    bool Busy() const { return mBusy; }

    // The window's operations, also used by the tests.
    void LoadWebFmtList();
    void DownWebFmt();
    void FindFmt();
    void DownInputFmt();
    void EditAddress();
    // Ends the list update or download under way; the list stays as it was.
    void CancelRequest();

protected:
    void done(int result) override;

private:
    void BuildControls();
    void ShowRows();
    void RowChanged();
    int CurrentGridRow() const;
    void SetBusy(bool busy);
    void ShowAddressState();

    AppContext& mApp;
    NetworkHttpClient mHttp;
    WebCatalogue mCatalogue;
    Grid mGrid; // the list as the database gives it: row 0 names, row 1 headers, formats after
    QTableWidget* mMSF = nullptr;
    QLineEdit* mSkey = nullptr;
    QLabel* mStatus = nullptr;
    QPushButton* mAddress = nullptr;
    QPushButton* mCancel = nullptr;
    PicturePreview* mPreview = nullptr;
    std::array<QPushButton*, ButtonCount> mCom{};
    bool mBusy = false;
    QString mWantedPreview; // the picture the current row asked for; older answers are dropped
};

} // namespace kestrio
