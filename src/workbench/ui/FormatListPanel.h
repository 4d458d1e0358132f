#pragma once

#include <QDockWidget>

class QTableWidget;

namespace kestrio {

class AppContext;

// The list of formats beside the canvas (grid FMSF): the names of the library in the order of
// the format list window, the open format marked. A double click on a name asks for that
// format.
class FormatListPanel final : public QDockWidget {
    Q_OBJECT

public:
    FormatListPanel(AppContext& app, QWidget* parent = nullptr);

    // The names read anew from the library, `currentFormat` marked and made current.
    void ShowFormats(const QString& currentFormat);
    QTableWidget* Table() const { return mTable; }

signals:
    void formatChosen(const QString& name);

private:
    AppContext& mApp;
    QTableWidget* mTable = nullptr;
};

} // namespace kestrio
