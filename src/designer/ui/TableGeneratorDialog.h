#pragma once

#include <QDialog>

#include <array>
#include <functional>

class QLineEdit;

namespace kestrio {

class Prompter;

// "生成表格": two corners in millimetres and the numbers of rows and columns. "确  定" hands
// them to `generate`, which returns an error message or nothing; on an error the window
// stays open with the fields as typed.
class TableGeneratorDialog final : public QDialog {
    Q_OBJECT

public:
    struct Table {
        double x0, y0, x1, y1;
        int rows, cols;
    };
    using Generate = std::function<QString(const Table&)>;

    TableGeneratorDialog(Prompter& prompter, Generate generate, QWidget* parent = nullptr);
    // The field of that object name ("x0", "y0", "x1", "y1", "rows", "cols").
    QLineEdit* Field(int index) const { return mFields.at(static_cast<std::size_t>(index)); }
    // Reads the fields and generates; false (window kept) when they do not make a table.
    bool Accept();

private:
    Prompter& mPrompter;
    Generate mGenerate;
    std::array<QLineEdit*, 6> mFields{};
};

} // namespace kestrio
