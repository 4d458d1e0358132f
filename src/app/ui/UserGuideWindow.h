#pragma once

#include <QDialog>

class QTextBrowser;

namespace kestrio {

// "使用说明": the user guide (Markdown with its pictures) in a window of its own; links to
// the web open in the desktop's browser.
class UserGuideWindow final : public QDialog {
    Q_OBJECT

public:
    UserGuideWindow(const QString& guidePath, QWidget* parent = nullptr);
    QTextBrowser* Browser() const { return mBrowser; }

private:
    QTextBrowser* mBrowser;
};

} // namespace kestrio
