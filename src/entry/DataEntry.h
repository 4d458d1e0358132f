#pragma once

#include <QHash>
#include <QSet>
#include <QString>

namespace kestrio {

class AutoFill;
class BoxConverter;
class HistoryRecords;
class Workspace;

// What the boxes of a bill do when they are typed into, clicked, ticked and left, without
// any window: the canvas calls these and paints what they return.
class DataEntry {
public:
    // Relation colours (0x00BBGGRR) a focused box gives the boxes around it.
    static constexpr int kRelatedContent = 0x11FF00;
    static constexpr int kSameContent = 0xAAAAFF;
    static constexpr int kProductMember = 0xFFAAAA;
    static constexpr int kSumMember = 0xAAFFAA;

    DataEntry(const BoxConverter& converter, AutoFill& autoFill) : mConverter(converter), mAutoFill(autoFill) {}

    // Leaving a text box: its text is converted by its data type, then everything that
    // follows from it is calculated. An amount box holding no amount, or one too large for
    // its cells or for capital figures, is left as it is and the message is returned: the
    // box keeps the focus, and the other boxes of its same-content ring are emptied, so none
    // shows an amount from before. Empty when the box was left.
    QString LeaveBox(Workspace& ws, int row);
    // Clicking a text box of type 115 ticks it ("√") or clears it.
    static void ClickBox(Workspace& ws, int row);
    // Ticking a check box unticks the boxes of its ring (RCtl), so at most one is ticked.
    static void TickCheckBox(Workspace& ws, int row);
    // The colour of every box that the focused text box relates to, by table row.
    static QHash<int, int> RelationColours(const Workspace& ws, int focusedRow);
    // "清空内容框": the selected boxes when any is selected, else all text, check and picture
    // boxes; a text box without caption keeps its fixed text.
    static void ClearContents(Workspace& ws, const QSet<int>& selectedRows = {});
    // The menu's "清空内容框": ClearContents, then the cleared date boxes get today again.
    void ClearBill(Workspace& ws, const QSet<int>& selectedRows = {}) const;
    // Every text box filled with the value automatic filling gives it (dates from the clock).
    void FillDateBoxes(Workspace& ws) const;
    // "Save and continue": the bill is stored, the boxes cleared, dates filled and serial
    // numbers advanced past the newest stored one. Returns the stored record number (0 for
    // an empty bill, -1 when it could not be stored: the boxes are then left as they are).
    qint64 SaveAndContinue(Workspace& ws, HistoryRecords& records);
    // The boxes made ready for the next bill after one was stored or printed: cleared, dates
    // filled, serial numbers advanced past the newest stored one.
    void NextBill(Workspace& ws);

private:
    const BoxConverter& mConverter;
    AutoFill& mAutoFill;
};

} // namespace kestrio
