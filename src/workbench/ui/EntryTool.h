#pragma once

#include "workbench/ui/CanvasTool.h"

#include <QObject>
#include <QStringList>

class QKeyEvent;
class QListWidget;
class QListWidgetItem;
class QTimer;

namespace kestrio {

class AppContext;
class Workspace;

// Typing a bill on the canvas: the digit filter of amount boxes, completion from history while
// typing (after 50 ms), the suggestion list COMB on a double click, leaving a box (its text
// converted, related and sum boxes recalculated through the data-entry core), check boxes, and
// the relation colours of the box being typed in.
class EntryTool final : public QObject, public CanvasTool {
    Q_OBJECT

public:
    using Element = BillCanvas::Element;

    EntryTool(AppContext& app, Workspace& ws, BillCanvas& canvas);

    bool ElementEvent(Element& element, QObject* watched, QEvent* event) override;
    void CanvasMousePress(QMouseEvent* event) override;
    void BoxEdited(Element& element) override;
    void CheckBoxClicked(Element& element, bool checked) override;

    // The box being typed in is left, as before printing or saving: a menu takes no focus.
    // False when it refused its text (the message was shown, the box has the focus).
    bool LeaveCurrentBox();
    // The box of that row is left: its text converted, the others recalculated, every control
    // refreshed. False when it refused its text (the message was shown, the box has the
    // focus); when the focus is leaving, the message waits until the focus change is over.
    bool LeaveBox(int row, bool focusLeaving = false);
    // The controls are about to be rebuilt: no list, no pending completion.
    void Reset();
    // Related-box marks back to white.
    void HideRelationColor();
    QListWidget* SuggestionList() const { return mSuggestions; }
    int SuggestionBox() const { return mSuggestionBox; }
    int CurrentBox() const { return mCurrentBox; }

private:
    bool BoxKeyPress(Element& element, QKeyEvent* event);
    void BoxFocused(Element& element);
    void RefuseBox(int row, const QString& message);
    // Every box's content, to tell whether leaving a box changed any.
    QStringList Snapshot() const;
    void BoxClicked(Element& element);
    void ShowSuggestions(Element& element);
    void ChooseSuggestion(QListWidgetItem* item);
    void HideSuggestions();
    void AutoFind();
    void PaintRelations(int row);

    AppContext& mApp;
    Workspace& mWs;
    BillCanvas& mCanvas;
    int mCurrentBox = 0;
    QTimer* mAutoFind = nullptr;
    QListWidget* mSuggestions = nullptr;
    int mSuggestionBox = 0;
    bool mRefusing = false;
};

} // namespace kestrio
