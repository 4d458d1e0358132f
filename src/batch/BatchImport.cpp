#include "BatchImport.h"

#include "BatchGrid.h"
#include "MappingExpression.h"
#include "RecordNumbering.h"
#include "SheetReader.h"

namespace kestrio {

BatchImport::Outcome BatchImport::Run(const Request& request, const Workspace& ws, BatchGrid& grid, Progress& progress)
{
    Outcome outcome;
    if (request.end > 0 && !RecordNumbering(request.start, request.end, request.perBill).WithinLimit()) {
        outcome.error = RecordNumbering::TooManyMessage();
        return outcome;
    }
    std::unique_ptr<SheetReader> reader = SheetReader::ForPath(request.path);
    if (!reader) {
        outcome.error = SheetReader::UnsupportedMessage();
        return outcome;
    }
    SourceRows rows;
    if (!reader->Open(request.path)) {
        outcome.error = reader->Error();
        return outcome;
    }
    // Without a named worksheet a workbook's first one is read.
    const QString sheet = request.sheet.isEmpty() ? reader->SheetNames().value(0) : request.sheet;
    if (!reader->ReadRows(sheet, 0, rows)) {
        outcome.error = reader->Error();
        return outcome;
    }
    outcome.warning = reader->Warning();
    if (rows.IsBlank()) {
        outcome.error = SheetReader::NoDataMessage(request.path);
        return outcome;
    }
    // A column past the sheet's last would fill every bill with nothing.
    const int columns = rows.ColumnCount();
    for (const QString& expression : request.expressions)
        if (MappingExpression(expression).WidestColumn() > columns) {
            outcome.error = ColumnOutOfRangeMessage();
            return outcome;
        }
    const RecordNumbering numbering(request.start, request.end > 0 ? request.end : rows.RowCount(), request.perBill);
    if (!numbering.WithinLimit()) {
        outcome.error = RecordNumbering::TooManyMessage();
        return outcome;
    }
    grid.Fill(ws, request.expressions, rows, numbering, progress);
    outcome.ok = true;
    return outcome;
}

} // namespace kestrio
