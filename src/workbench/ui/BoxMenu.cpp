#include "workbench/ui/BoxMenu.h"

#include "app/ui/MenuItem.h"
#include "app/ui/WidgetPlace.h"
#include "designer/ui/LayoutCommands.h"
#include "format/FormatDocument.h"
#include "workbench/ui/BillCanvas.h"
#include "workbench/ui/BillMenu.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>

namespace kestrio {

namespace {

// The paragraph ends a multi-line selection carries become the box's line breaks.
QString PlainSelection(const QPlainTextEdit& edit)
{
    return edit.textCursor().selectedText().replace(QChar(0x2029), QLatin1Char('\n'));
}

} // namespace

BoxMenu::BoxMenu(FormatDocument& document, BillCanvas& canvas, LayoutCommands& commands, BillMenu& billMenu, Hooks hooks)
    : QObject(&canvas), mDocument(document), mCanvas(canvas), mCommands(commands), mBillMenu(billMenu),
      mHooks(std::move(hooks))
{
}

void BoxMenu::Show(int row, QPoint canvasPoint, QPoint globalPoint)
{
    QMenu* menu = Build(row, canvasPoint, &mCanvas);
    menu->exec(globalPoint);
    delete menu;
}

QMenu* BoxMenu::Build(int row, QPoint canvasPoint, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("m_CtlSet"));
    const bool locked = mHooks.locked && mHooks.locked();
    const auto add = [&](const char* name, const char16_t* caption, bool enabled, auto slot) {
        AddMenuItem(*menu, QString::fromLatin1(name), QString::fromUtf16(caption), enabled, this, slot);
    };
    const int kind = mDocument.Table().KindOf(row);
    add("mCtlSet", u"设置内容框", !locked, [this, row] {
        if (mHooks.editProperties) mHooks.editProperties(row);
    });
    menu->addSeparator();
    if (kind == ElementTable::TextBox || kind == ElementTable::Label) {
        add("mCopy", u"复制文本", true, [this, row] { CopyText(row); });
        // A label's caption is part of the layout; a text box's text is not.
        add("mPaste", u"粘贴文本", kind == ElementTable::TextBox || !locked, [this, row] { PasteText(row); });
        menu->addSeparator();
    }
    const QPoint twips(WidgetPlace::ToTwipsX(canvasPoint.x()), WidgetPlace::ToTwipsY(canvasPoint.y()));
    add("mAddCtl", u"添加输入框", !locked, [this, twips] { mCommands.AddElementAt(twips.x(), twips.y()); });
    add("mCopyCtl", u"复制", !locked, [this, row] { mCommands.CopyElements(row); });
    add("mDelCtl", u"删除", !locked, [this, row] { mCommands.DeleteSelected(row); });
    if (kind == ElementTable::PictureBox) {
        menu->addSeparator();
        mBillMenu.AddPictureItems(*menu, row);
    }
    return menu;
}

void BoxMenu::CopyText(int row)
{
    QString text;
    if (mDocument.Table().KindOf(row) == ElementTable::Label) {
        text = mDocument.ElementAt(row).label;
    } else {
        QWidget* control = mCanvas.Control(mCanvas.ElementIndexOfRow(row));
        if (const auto* line = qobject_cast<const QLineEdit*>(control))
            text = line->hasSelectedText() ? line->selectedText() : line->text();
        else if (const auto* edit = qobject_cast<const QPlainTextEdit*>(control))
            text = edit->textCursor().hasSelection() ? PlainSelection(*edit) : edit->toPlainText();
    }
    QGuiApplication::clipboard()->setText(text);
}

void BoxMenu::PasteText(int row)
{
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty()) return;
    if (mDocument.Table().KindOf(row) == ElementTable::Label) {
        Element label = mDocument.ElementAt(row);
        label.label = text;
        mDocument.ChangeElement(row, label, QStringLiteral("粘贴文本"));
        return;
    }
    // Inserted at the cursor over any selected part, as typing would; the box's own signal
    // hands the new text to the workspace.
    QWidget* control = mCanvas.Control(mCanvas.ElementIndexOfRow(row));
    if (auto* line = qobject_cast<QLineEdit*>(control)) line->insert(text);
    else if (auto* edit = qobject_cast<QPlainTextEdit*>(control)) edit->insertPlainText(text);
}

} // namespace kestrio
