#pragma once

#include <QTableWidget>

#include <functional>

namespace kestrio {

class FormatDocument;

// The page 输入框列表: the open format's element table in words (ElementWords; each reworded
// cell shows its stored value as a tooltip), following every change of the document. Selected rows are deleted with the Delete key or the menu item "删除".
class ElementTablePage final : public QTableWidget {
    Q_OBJECT

public:
    ElementTablePage(const FormatDocument& document, QWidget* parent = nullptr);

    // Every row shown anew from the document.
    void ShowTable();

    // Deletes element-table rows first … last after asking; false when nothing was deleted.
    using RowDeleter = std::function<bool(int first, int last)>;
    void SetRowDeleter(RowDeleter deleter, std::function<bool()> locked);
    // The selected rows go (with the question); false when nothing was deleted.
    bool DeleteSelectedRows();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

signals:
    // A data row was double-clicked (the element-table row, not the widget's); the header
    // does nothing.
    void rowActivated(int row);

private:
    void ShowRow(int row);

    const FormatDocument& mDocument;
    RowDeleter mDeleteRows;
    std::function<bool()> mLocked;
};

} // namespace kestrio
