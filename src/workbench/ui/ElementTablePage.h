#pragma once

#include <QTableWidget>

namespace kestrio {

class FormatDocument;

// The page 输入框列表: the open format's element table as it is stored, following every change
// of the document.
class ElementTablePage final : public QTableWidget {
    Q_OBJECT

public:
    ElementTablePage(const FormatDocument& document, QWidget* parent = nullptr);

    // Every row shown anew from the document.
    void ShowTable();

signals:
    // A data row was double-clicked (the element-table row, not the widget's); the header
    // does nothing.
    void rowActivated(int row);

private:
    void ShowRow(int row);

    const FormatDocument& mDocument;
};

} // namespace kestrio
