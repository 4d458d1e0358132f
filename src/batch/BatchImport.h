#pragma once

#include <QHash>
#include <QString>

namespace kestrio {

class BatchGrid;
class Progress;
class Workspace;

// One import of batch rows: the source read (CSV, or a worksheet of a workbook), then the
// batch grid filled by the mapping from the start row to the end row.
class BatchImport {
public:
    struct Request {
        QString path;
        QString sheet;                       // ignored for CSV
        QHash<qint64, QString> expressions;  // by element ID
        int start = 1;
        int end = 0; // 0: the last row of the source
        int perBill = 1;
    };
    struct Outcome {
        bool ok = false;
        QString error;   // the message for the user when not ok
        QString warning; // something the user should know although the rows were read
    };

    static QString ColumnOutOfRangeMessage() { return QStringLiteral("输入表格列号超界，请重新输入！"); }

    static Outcome Run(const Request& request, const Workspace& ws, BatchGrid& grid, Progress& progress);
};

} // namespace kestrio
