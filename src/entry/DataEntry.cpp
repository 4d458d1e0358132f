#include "DataEntry.h"

#include "AutoFill.h"
#include "HistoryRecords.h"
#include "convert/AmountInput.h"
#include "convert/BoxConverter.h"
#include "convert/DataType.h"
#include "format/Workspace.h"

#include <cmath>

namespace kestrio {

namespace {

qint64 Whole(double value)
{
    return static_cast<qint64>(std::trunc(value));
}

// A relation slot of a row: RCtl1 when its sign is the wanted one, else RCtl when it is.
qint64 Link(const ElementTable& table, int row, bool related)
{
    const qint64 first = Whole(table.Number(row, related ? ElementTable::ColRCtl1 : ElementTable::ColRCtl));
    const qint64 second = Whole(table.Number(row, related ? ElementTable::ColRCtl : ElementTable::ColRCtl1));
    const auto wanted = [related](qint64 v) { return related ? v < 0 : v > 0; };
    if (wanted(first)) return first;
    return wanted(second) ? second : 0;
}

int TextBoxRow(const ElementTable& table, qint64 id)
{
    const int row = table.RowOfId(id);
    return row >= 0 && table.KindOf(row) == ElementTable::TextBox ? row : -1;
}

// The text boxes the links of `start` lead to, in order, without `start` itself.
QList<int> LinkedRows(const ElementTable& table, int start, bool related)
{
    QList<int> rows;
    int row = start;
    for (int step = 0; step < 201; ++step) {
        const qint64 link = Link(table, row, related);
        if (link == 0) break;
        row = TextBoxRow(table, std::llabs(link));
        if (row < 0 || row == start || rows.contains(row)) break;
        rows << row;
    }
    return rows;
}

void WalkLinks(const ElementTable& table, int focused, bool related, int colour, QHash<int, int>& colours)
{
    for (int row : LinkedRows(table, focused, related)) colours.insert(row, colour);
}

} // namespace

QString DataEntry::LeaveBox(Workspace& ws, int row)
{
    if (!ws.table.IsDataRow(row) || ws.table.KindOf(row) != ElementTable::TextBox) return {};
    const double code = ws.table.Number(row, ElementTable::ColCash);
    const QString refusal = AmountInput::Refusal(code, ws.BoxText(row));
    if (!refusal.isEmpty()) {
        // The other boxes of its ring would still show the value from before this one: a
        // cheque whose capital amount says another sum than its figures.
        for (int ringRow : LinkedRows(ws.table, row, false)) ws.SetBoxText(ringRow, QString());
        return refusal;
    }
    ws.SetBoxText(row, mConverter.ConvertBoxText(code, ws.BoxText(row)));
    mAutoFill.RecalculateFrom(ws, ws.table.Id(row));
    return {};
}

void DataEntry::ClickBox(Workspace& ws, int row)
{
    if (!ws.table.IsDataRow(row) || ws.table.KindOf(row) != ElementTable::TextBox) return;
    if (BoxConverter::WholeCode(ws.table.Number(row, ElementTable::ColCash)) != 115) return;
    ws.SetBoxText(row, ws.BoxText(row).isEmpty() ? QStringLiteral("√") : QString());
}

void DataEntry::TickCheckBox(Workspace& ws, int row)
{
    const ElementTable& table = ws.table;
    if (!table.IsDataRow(row) || table.KindOf(row) != ElementTable::CheckBox) return;
    ws.SetBoxContent(row, QStringLiteral("1"));
    const qint64 self = table.Id(row);
    qint64 next = Whole(table.Number(row, ElementTable::ColRCtl));
    for (int step = 0; step < 501 && next != 0 && next != self; ++step) {
        const int linked = table.RowOfId(next);
        if (linked < 0 || table.KindOf(linked) != ElementTable::CheckBox) return;
        ws.SetBoxContent(linked, QString());
        next = Whole(table.Number(linked, ElementTable::ColRCtl));
    }
}

QHash<int, int> DataEntry::RelationColours(const Workspace& ws, int focusedRow)
{
    QHash<int, int> colours;
    const ElementTable& table = ws.table;
    if (!table.IsDataRow(focusedRow) || table.KindOf(focusedRow) != ElementTable::TextBox) return colours;
    WalkLinks(table, focusedRow, true, kRelatedContent, colours);
    WalkLinks(table, focusedRow, false, kSameContent, colours);
    const qint64 focusedId = table.Id(focusedRow);
    for (int col : {ElementTable::ColSumId, ElementTable::ColSumId1}) {
        for (int row = ElementTable::kFirstRow; row < table.RowCount(); ++row) {
            if (table.KindOf(row) != ElementTable::TextBox) continue;
            const qint64 result = static_cast<qint64>(std::nearbyint(table.Number(row, col)));
            if (result != 0 && std::llabs(result) == focusedId)
                colours.insert(row, result < 0 ? kProductMember : kSumMember);
        }
    }
    return colours;
}

void DataEntry::ClearContents(Workspace& ws, const QSet<int>& selectedRows)
{
    const ElementTable& table = ws.table;
    for (int row = ElementTable::kFirstRow; row < table.RowCount(); ++row) {
        const int kind = table.KindOf(row);
        if (kind > ElementTable::PictureBox) continue;
        if (!selectedRows.isEmpty() && !selectedRows.contains(row)) continue;
        if (kind == ElementTable::TextBox && table.Text(row, ElementTable::ColLbl).isEmpty()) continue;
        ws.SetBoxText(row, QString());
    }
}

void DataEntry::FillDateBoxes(Workspace& ws) const
{
    for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
        if (ws.table.KindOf(row) != ElementTable::TextBox) continue;
        const double code = ws.table.Number(row, ElementTable::ColCash);
        ws.SetBoxText(row, mConverter.ConvertBoxText(code, mConverter.FillValue(code, ws.BoxText(row))));
    }
}

void DataEntry::ClearBill(Workspace& ws, const QSet<int>& selectedRows) const
{
    ClearContents(ws, selectedRows);
    // A bill without its date would print as one: dates come back as when the format opens.
    for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
        if (ws.table.KindOf(row) != ElementTable::TextBox) continue;
        if (!selectedRows.isEmpty() && !selectedRows.contains(row)) continue;
        const double code = ws.table.Number(row, ElementTable::ColCash);
        if (!DataType::IsDate(code) || !ws.BoxText(row).isEmpty()) continue;
        ws.SetBoxText(row, mConverter.ConvertBoxText(code, mConverter.FillValue(code, QString())));
    }
}

qint64 DataEntry::SaveAndContinue(Workspace& ws, HistoryRecords& records)
{
    const qint64 record = records.StoreRecord(ws);
    // A bill that was not stored stays in the boxes, so that nothing typed is lost.
    if (record < 0) return record;
    NextBill(ws);
    return record;
}

void DataEntry::NextBill(Workspace& ws)
{
    ClearContents(ws);
    FillDateBoxes(ws);
    mAutoFill.AdvanceNumbers(ws);
}

} // namespace kestrio
