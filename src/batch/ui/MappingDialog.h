#pragma once

#include "batch/SourceRows.h"

#include <QDialog>
#include <QHash>

#include <array>

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kestrio {

class AppContext;
class BatchGrid;
class Workspace;

// "导入数据映射" (object name InputMap): for every input box of the format the source
// columns that fill it (grid M1; the user types into "对应列号"), the start row T_0, the end
// row T_1 and the records per bill T_2, and the first rows of the source with column letters
// as headers (grid M0). "导入" (Com_0) stores the mapping and the fields and fills the batch
// grid; "取消" (Com_1) closes the window.
class MappingDialog final : public QDialog {
    Q_OBJECT

public:
    // The columns of the mapping grid.
    enum Column { ColIndex, ColId, ColNumber, ColCaption, ColExpression };
    static constexpr int kPreviewRows = 20;

    MappingDialog(AppContext& app, const Workspace& ws, BatchGrid& grid, const QString& path, const QString& sheet,
                  QWidget* parent = nullptr);

    // The import button: false (the window stays) when the rows are refused or cannot be read.
    bool Import();

    QLineEdit* Field(int index) const { return mFields[static_cast<std::size_t>(index)]; }
    QTableWidget* Mapping() const { return mMapping; }
    QTableWidget* Preview() const { return mPreview; }
    QPushButton* ImportButton() const { return mImport; }
    // The row of box `id` in the mapping grid; -1 when it has none.
    int MappingRowOf(qint64 id) const;

    static QString Caption() { return QStringLiteral("导入数据映射"); }
    static QString Instructions(const QString& lineBreakMarker);

private:
    void BuildFields();
    void FillMapping();
    void FillPreview();
    QHash<qint64, QString> Expressions() const;

    AppContext& mApp;
    const Workspace& mWs;
    BatchGrid& mGrid;
    QString mPath;
    QString mSheet;
    std::array<QLineEdit*, 3> mFields{};
    QTableWidget* mMapping = nullptr;
    QTableWidget* mPreview = nullptr;
    QPushButton* mImport = nullptr;
};

} // namespace kestrio
