#include "workbench/ui/EntryTool.h"

#include "app/AppContext.h"
#include "app/ui/WidgetPlace.h"
#include "convert/BoxConverter.h"
#include "entry/AutoFill.h"
#include "entry/DataEntry.h"
#include "entry/EntryKit.h"
#include "format/Workspace.h"
#include "seams/Prompter.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTimer>

namespace kestrio {

namespace {

// The suggestion list is this much wider than its box (twips).
constexpr int kListExtraWidth = 300;
constexpr int kAutoFindMs = 50;

bool IsRelationColour(int colour)
{
    return colour == DataEntry::kRelatedContent || colour == DataEntry::kSameContent ||
           colour == DataEntry::kProductMember || colour == DataEntry::kSumMember;
}

} // namespace

EntryTool::EntryTool(AppContext& app, Workspace& ws, BillCanvas& canvas) : QObject(&canvas), mApp(app), mWs(ws), mCanvas(canvas)
{
    mAutoFind = new QTimer(this);
    mAutoFind->setObjectName(QStringLiteral("AutoFind"));
    mAutoFind->setSingleShot(true);
    mAutoFind->setInterval(kAutoFindMs);
    connect(mAutoFind, &QTimer::timeout, this, &EntryTool::AutoFind);
    mSuggestions = new QListWidget(&canvas);
    mSuggestions->setObjectName(QStringLiteral("COMB"));
    mSuggestions->hide();
    connect(mSuggestions, &QListWidget::itemClicked, this, &EntryTool::ChooseSuggestion);
    connect(mSuggestions, &QListWidget::itemActivated, this, &EntryTool::ChooseSuggestion);
}

// ---------------------------------------------------------------------------------------
// Relation colours

void EntryTool::HideRelationColor()
{
    for (Element& element : mCanvas.Elements())
        if (element.kind == ElementTable::TextBox && IsRelationColour(element.background))
            mCanvas.SetBoxBackground(element, BillCanvas::kPlainBackground);
}

void EntryTool::PaintRelations(int row)
{
    const int index = mCanvas.ElementIndexOfRow(row);
    if (!mCanvas.Elements().contains(index) || mCanvas.Elements().value(index).background == BillCanvas::kSelectedBackground) return;
    const QHash<int, int> colours = DataEntry::RelationColours(mWs, row);
    for (auto it = colours.constBegin(); it != colours.constEnd(); ++it) {
        const auto element = mCanvas.Elements().find(mCanvas.ElementIndexOfRow(it.key()));
        if (element == mCanvas.Elements().end() || element->kind != ElementTable::TextBox) continue;
        if (element->background == BillCanvas::kSelectedBackground) continue;
        mCanvas.SetBoxBackground(*element, it.value());
    }
}

// ---------------------------------------------------------------------------------------
// Data entry

bool EntryTool::ElementEvent(BillCanvas::Element& element, QObject* watched, QEvent* event)
{
    Element* const elementPtr = &element;
    const bool textBox = elementPtr->kind == ElementTable::TextBox;

    switch (event->type()) {
    case QEvent::KeyPress:
        if (textBox && BoxKeyPress(*elementPtr, static_cast<QKeyEvent*>(event))) return true;
        break;
    case QEvent::FocusIn:
        if (textBox && watched == elementPtr->control) BoxFocused(*elementPtr);
        break;
    case QEvent::FocusOut:
        if (textBox && watched == elementPtr->control && !mCanvas.Refreshing() &&
            static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason && !mRefusing) {
            LeaveBox(elementPtr->row, true);
        }
        break;
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        HideSuggestions();
        if (textBox && mouse->modifiers() != Qt::ControlModifier) {
            HideRelationColor();
            if (elementPtr->control->hasFocus()) PaintRelations(elementPtr->row);
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (textBox && mouse->button() == Qt::LeftButton && elementPtr->control->property("kestrioDoubleClick").toBool()) {
            elementPtr->control->setProperty("kestrioDoubleClick", false);
        } else if (textBox && mouse->button() == Qt::LeftButton &&
                   static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint())) {
            BoxClicked(*elementPtr);
        }
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (textBox) {
            elementPtr->control->setProperty("kestrioDoubleClick", true);
            ShowSuggestions(*elementPtr);
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

void EntryTool::CanvasMousePress(QMouseEvent* event)
{
    HideSuggestions();
    if (event->modifiers() != Qt::ControlModifier) HideRelationColor();
}


void EntryTool::BoxEdited(Element& element)
{
    if (mCanvas.Refreshing()) return;
    mWs.SetBoxText(element.row, mCanvas.ControlText(element));
    emit mCanvas.contentsChanged();
}

bool EntryTool::BoxKeyPress(Element& element, QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) return false;
    int ascii = 0;
    if (key == Qt::Key_Backspace) {
        ascii = 8;
    } else {
        const QString text = event->text();
        if (text.isEmpty()) return false;
        ascii = text.at(0).unicode();
        // Keys that type nothing (Delete, Enter, control chords) are not typed characters.
        if (ascii < 0x20 || ascii == 0x7F) return false;
    }
    const double code = mWs.table.Number(element.row, ElementTable::ColCash);
    if (BoxConverter::TakesDigitsOnly(code) && BoxConverter::KeyFilter(code, ascii) == 0) return true;
    if (ascii != 8) {
        mCurrentBox = element.index;
        mAutoFind->start();
    }
    return false;
}

void EntryTool::AutoFind()
{
    mAutoFind->stop();
    const auto it = mCanvas.Elements().find(mCurrentBox);
    if (it == mCanvas.Elements().end() || it->kind != ElementTable::TextBox) return;
    Element& element = *it;
    const QString typed = mWs.BoxText(element.row);
    EntryKit core(mApp);
    const AutoFill::Completion completion = core.autoFill.AutoComplete(mWs, mWs.table.Id(element.row), typed);
    if (!completion.completed) return;
    mWs.SetBoxText(element.row, completion.text);
    mCanvas.SetControlText(element, completion.text);
    if (auto* edit = qobject_cast<QLineEdit*>(element.control)) {
        edit->setSelection(completion.selectionStart, completion.selectionLength);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(element.control)) {
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(completion.selectionStart);
        cursor.setPosition(completion.selectionStart + completion.selectionLength, QTextCursor::KeepAnchor);
        edit->setTextCursor(cursor);
    }
    emit mCanvas.contentsChanged();
}

void EntryTool::BoxFocused(Element& element)
{
    HideRelationColor();
    PaintRelations(element.row);
}

bool EntryTool::LeaveCurrentBox()
{
    const QWidget* control = mCanvas.Control(mCurrentBox);
    const int row = control ? mCanvas.RowOf(control) : -1;
    return row < 0 || LeaveBox(row);
}

bool EntryTool::LeaveBox(int row, bool focusLeaving)
{
    if (!mWs.table.IsDataRow(row)) return true;
    const QStringList before = Snapshot();
    EntryKit core(mApp);
    const QString refusal = core.entry.LeaveBox(mWs, row);
    if (!refusal.isEmpty()) {
        // The box keeps what was typed; the boxes of its ring were emptied.
        if (Snapshot() != before) {
            mCanvas.RefreshFromWorkspace();
            emit mCanvas.contentsChanged();
        }
        if (focusLeaving) {
            // Not inside the focus change: the message box would take part in it.
            QTimer::singleShot(0, this, [this, row, refusal] { RefuseBox(row, refusal); });
            mRefusing = true;
        } else {
            RefuseBox(row, refusal);
        }
        return false;
    }
    mCanvas.RefreshFromWorkspace();
    if (Snapshot() != before) emit mCanvas.contentsChanged();
    return true;
}

// The box keeps what was typed and gets the focus back, all of it selected for retyping.
void EntryTool::RefuseBox(int row, const QString& message)
{
    mRefusing = true;
    mApp.Prompt().Message(message, Prompter::Icon::Warning);
    mRefusing = false;
    const int index = mCanvas.ElementIndexOfRow(row);
    QWidget* control = index != 0 ? mCanvas.Control(index) : nullptr;
    if (!control) return;
    mCurrentBox = index;
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->selectAll();
    else if (auto* edit = qobject_cast<QPlainTextEdit*>(control)) edit->selectAll();
}

QStringList EntryTool::Snapshot() const
{
    QStringList contents;
    for (int row = ElementTable::kFirstRow; row < mWs.table.RowCount(); ++row) contents << mWs.BoxText(row);
    return contents;
}

void EntryTool::BoxClicked(Element& element)
{
    const QString before = mWs.BoxText(element.row);
    DataEntry::ClickBox(mWs, element.row);
    if (mWs.BoxText(element.row) == before) return;
    mCanvas.ShowBoxText(element);
    emit mCanvas.contentsChanged();
}

void EntryTool::CheckBoxClicked(Element& element, bool checked)
{
    if (checked) DataEntry::TickCheckBox(mWs, element.row);
    else mWs.SetBoxContent(element.row, QString());
    mCanvas.RefreshFromWorkspace();
    emit mCanvas.contentsChanged();
}

void EntryTool::ShowSuggestions(Element& element)
{
    mSuggestions->clear();
    EntryKit core(mApp);
    const QStringList values = core.autoFill.FillSuggestions(mWs, mWs.table.Id(element.row));
    mSuggestions->addItems(values);
    const QRect box = element.control->geometry();
    const int rows = qBound(1, static_cast<int>(values.size()), 8);
    const int rowHeight = qMax(mSuggestions->sizeHintForRow(0), mSuggestions->fontMetrics().height() + 2);
    mSuggestions->setGeometry(box.left(), box.bottom() + 1, box.width() + WidgetPlace::ToPixelsX(kListExtraWidth),
                       rows * rowHeight + 2 * mSuggestions->frameWidth());
    const QList<QListWidgetItem*> current = mSuggestions->findItems(mWs.BoxText(element.row), Qt::MatchExactly);
    if (!current.isEmpty()) mSuggestions->setCurrentItem(current.first());
    mSuggestionBox = element.index;
    mSuggestions->raise();
    mSuggestions->show();
}

void EntryTool::ChooseSuggestion(QListWidgetItem* item)
{
    const auto it = mCanvas.Elements().find(mSuggestionBox);
    if (!item || it == mCanvas.Elements().end()) return;
    const int row = it->row;
    const bool changed = mWs.BoxText(row) != item->text();
    mWs.SetBoxText(row, item->text());
    mCanvas.ShowBoxText(*it);
    HideSuggestions();
    if (changed) emit mCanvas.contentsChanged();
    LeaveBox(row);
}

void EntryTool::Reset()
{
    HideSuggestions();
    mAutoFind->stop();
}

void EntryTool::HideSuggestions()
{
    if (!mSuggestions) return;
    mSuggestions->hide();
    mSuggestionBox = 0;
}

} // namespace kestrio
