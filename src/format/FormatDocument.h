#pragma once

#include "Element.h"
#include "Workspace.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QUndoStack>

#include <functional>
#include <utility>

namespace kestrio {

// The open format as a document the windows observe: it owns the Workspace, and every change
// to the element table goes through it, so the canvas, the element table page and later the
// designer hear of each change by a signal and each layout change is one undoable step.
// Box contents (what the clerk types) are not layout: they change without undo and are
// announced by contentsChanged.
class FormatDocument final : public QObject {
    Q_OBJECT

public:
    explicit FormatDocument(QObject* parent = nullptr);

    // Read access for the code that loads, fills, prints and stores the format.
    const Workspace& Data() const { return mWorkspace; }
    Workspace& Data() { return mWorkspace; }
    const ElementTable& Table() const { return mWorkspace.table; }

    // Data rows of the element table, first to last.
    QList<int> ElementRows() const;
    Element ElementAt(int row) const { return Element::FromRow(mWorkspace.table, row); }

    // Undoable layout changes. `step` names the step in the undo menu; changes given the same
    // `mergeKey` (≥ 0) one after another merge into one step (a drag is one step).
    void ChangeElement(int row, const Element& element, const QString& step, int mergeKey = -1);
    void ChangeElements(const QList<std::pair<int, Element>>& changes, const QString& step, int mergeKey = -1);
    // Appends an element with a new temporary ID and the defaults of its kind, then applies
    // `setUp` to it; returns its row.
    int AddElement(int kind, const QString& step, const std::function<void(Element&)>& setUp = {});
    void RemoveRows(QList<int> rows, const QString& step);

    // A whole new table (a format opened, a new format, a save that gave IDs): `load` changes
    // the workspace directly, the edit history is dropped and the document counts as saved.
    void Reload(const std::function<void(Workspace&)>& load);
    // The format was saved: the document is unmodified, its history kept.
    void MarkSaved() { mUndo.setClean(); }
    // Runs `save` on the workspace. A save hands new elements their IDs (old → new, found row
    // by row); when it succeeds, every step of the history and the selection are made to name
    // the saved IDs, so undo and redo go on working, and the document counts as saved.
    bool Save(const std::function<bool(Workspace&)>& save);
    void SavedWithIds(const QHash<qint64, qint64>& newIds);
    bool IsModified() const { return !mUndo.isClean(); }

    // Box contents.
    void SetBoxText(int row, const QString& text);
    // Announces contents changed elsewhere (data entry works on Data() directly).
    void NotifyContentsChanged() { emit contentsChanged(); }

    // The selected elements by ID; cleared whenever the table is reloaded.
    const QSet<qint64>& Selection() const { return mSelection; }
    void SetSelection(const QSet<qint64>& ids);

    QUndoStack& UndoStack() { return mUndo; }

signals:
    void elementAdded(int row);
    void elementRemoved(int row);
    void elementChanged(int row);
    // The whole table was replaced: every view rebuilds.
    void tableReset();
    void selectionChanged();
    void contentsChanged();
    void modifiedChanged(bool modified);

private:
    friend class ElementRowsCommand;
    friend class AddElementCommand;
    friend class RemoveElementsCommand;

    Workspace mWorkspace;
    QUndoStack mUndo;
    QSet<qint64> mSelection;
};

} // namespace kestrio
