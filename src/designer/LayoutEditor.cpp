#include "LayoutEditor.h"

#include "format/FormatDocument.h"
#include "seams/Progress.h"

#include <algorithm>
#include <cmath>

namespace kestrio {

namespace {

// The default look of a new element, in twips of the window.
struct Template {
    int left, top, width, height;
    double fontSize;
};

Template TemplateOf(int kind)
{
    switch (kind) {
    case ElementTable::CheckBox: return {240, 480, 190, 190, 9};
    case ElementTable::PictureBox: return {240, 1200, 1215, 735, 9};
    case ElementTable::Line: return {240, 720, 2400, 720, 1};
    case ElementTable::Label: return {240, 1080, 570, 285, 14.25};
    default: return {240, 840, 1095, 375, 9};
    }
}

int Clamp(int start, int size, double limit)
{
    if (start < 0) start = 0;
    if (start + size > limit) start = static_cast<int>(limit) - size;
    // A box larger than the canvas keeps its near edge on the canvas.
    return std::max(start, 0);
}

bool HasCaption(int kind)
{
    return kind == ElementTable::TextBox || kind == ElementTable::CheckBox || kind == ElementTable::PictureBox;
}

} // namespace

LayoutEditor::LayoutEditor(FormatDocument& document, const CanvasFrame& frame) : mDocument(document), mFrame(frame) {}

UnitRect LayoutEditor::BoxOf(const Element& e) const
{
    return {mFrame.ToUnits(e.x), mFrame.ToUnits(e.y), mFrame.ToUnits(e.width), mFrame.ToUnits(e.height)};
}

UnitLine LayoutEditor::LineOf(const Element& e) const
{
    return {mFrame.ToUnits(e.x), mFrame.ToUnits(e.y), mFrame.ToUnits(e.width), mFrame.ToUnits(e.height)};
}

bool LayoutEditor::IsSelected(int row) const
{
    return mDocument.Table().IsDataRow(row) && mDocument.Selection().contains(mDocument.Table().Id(row));
}

void LayoutEditor::SetSelected(int row, bool selected)
{
    if (!mDocument.Table().IsDataRow(row)) return;
    QSet<qint64> ids = mDocument.Selection();
    if (selected) ids.insert(mDocument.Table().Id(row));
    else ids.remove(mDocument.Table().Id(row));
    mDocument.SetSelection(ids);
}

void LayoutEditor::SelectByBand(const UnitRect& band, bool keep)
{
    QSet<qint64> ids = keep ? mDocument.Selection() : QSet<qint64>();
    for (int row : mDocument.ElementRows()) {
        const Element e = mDocument.ElementAt(row);
        const bool meets = e.kind == ElementTable::Line ? LayoutGeometry::LineMeetsBand(LineOf(e), band)
                                                        : LayoutGeometry::BoxMeetsBand(BoxOf(e), band);
        if (meets) ids.insert(e.id);
    }
    mDocument.SetSelection(ids);
}

QList<int> LayoutEditor::TargetRows(int currentRow) const
{
    QList<int> rows;
    for (int row : mDocument.ElementRows())
        if (row == currentRow || IsSelected(row)) rows << row;
    return rows;
}

Element LayoutEditor::AtBox(const Element& element, const UnitRect& before, const UnitRect& after) const
{
    // Only the coordinates that moved are converted back, so an untouched size keeps its
    // stored millimetres exactly.
    Element e = element;
    if (after.left != before.left) e.x = mFrame.ToMm(after.left);
    if (after.top != before.top) e.y = mFrame.ToMm(after.top);
    if (after.width != before.width) e.width = mFrame.ToMm(after.width);
    if (after.height != before.height) e.height = mFrame.ToMm(after.height);
    return e;
}

Element LayoutEditor::Moved(const Element& element, int dx, int dy, LineGrip grip) const
{
    if (element.kind == ElementTable::Line) {
        const UnitLine line = LineOf(element);
        UnitRect before{line.x1, line.y1, line.x2, line.y2};
        UnitRect after = before;
        if (grip != LineGrip::End2) after.left += dx, after.top += dy;
        if (grip != LineGrip::End1) after.width += dx, after.height += dy;
        return AtBox(element, before, after);
    }
    const UnitRect before = BoxOf(element);
    UnitRect after = before;
    after.left = Clamp(before.left + dx, before.width, mFrame.width);
    after.top = Clamp(before.top + dy, before.height, mFrame.height);
    return AtBox(element, before, after);
}

Element LayoutEditor::Sized(const Element& element, int dx, int dy) const
{
    if (element.kind == ElementTable::CheckBox || element.kind == ElementTable::Line) return element;
    const UnitRect before = BoxOf(element);
    UnitRect after = before;
    after.width = std::max(before.width + dx, 0);
    after.height = std::max(before.height + dy, 0);
    if (after.left + after.width > mFrame.width) after.width = std::max(static_cast<int>(mFrame.width) - after.left, 0);
    if (after.top + after.height > mFrame.height) after.height = std::max(static_cast<int>(mFrame.height) - after.top, 0);
    return AtBox(element, before, after);
}

Element LayoutEditor::HandleDragged(const Element& element, Handle handle, int dx, int dy) const
{
    if (element.kind == ElementTable::CheckBox || element.kind == ElementTable::Line) return element;
    const UnitRect before = BoxOf(element);
    UnitRect after = LayoutGeometry::DragHandle(before, handle, dx, dy);
    // Clamped to the canvas as the move and size steps are: an edge stops at the border.
    if (after.left < 0) after.width += after.left, after.left = 0;
    if (after.top < 0) after.height += after.top, after.top = 0;
    if (after.Right() > mFrame.width) after.width = std::max(static_cast<int>(mFrame.width) - after.left, 0);
    if (after.Bottom() > mFrame.height) after.height = std::max(static_cast<int>(mFrame.height) - after.top, 0);
    return AtBox(element, before, after);
}

void LayoutEditor::DragHandleSelected(Handle handle, int dx, int dy, int currentRow, int mergeKey)
{
    QList<std::pair<int, Element>> changes;
    for (int row : TargetRows(currentRow)) changes.append({row, HandleDragged(mDocument.ElementAt(row), handle, dx, dy)});
    mDocument.ChangeElements(changes, QStringLiteral("改变输入框大小"), mergeKey);
}

void LayoutEditor::SelectOnly(int row)
{
    if (!mDocument.Table().IsDataRow(row)) return;
    mDocument.SetSelection({mDocument.Table().Id(row)});
}

void LayoutEditor::MoveSelected(int dx, int dy, int currentRow, LineGrip grip, int mergeKey)
{
    QList<std::pair<int, Element>> changes;
    for (int row : TargetRows(currentRow)) changes.append({row, Moved(mDocument.ElementAt(row), dx, dy, grip)});
    mDocument.ChangeElements(changes, QStringLiteral("移动输入框"), mergeKey);
}

void LayoutEditor::SizeSelected(int dx, int dy, int currentRow, int mergeKey)
{
    QList<std::pair<int, Element>> changes;
    for (int row : TargetRows(currentRow)) changes.append({row, Sized(mDocument.ElementAt(row), dx, dy)});
    mDocument.ChangeElements(changes, QStringLiteral("改变输入框大小"), mergeKey);
}

void LayoutEditor::ChangeFontSize(double delta)
{
    QList<std::pair<int, Element>> changes;
    for (int row : TargetRows(-1)) {
        Element e = mDocument.ElementAt(row);
        // Never below 1 point; a size already below it is not raised by making it smaller.
        e.fontSize = std::max(e.fontSize + delta, std::min(e.fontSize, 1.0));
        changes.append({row, e});
    }
    mDocument.ChangeElements(changes, QStringLiteral("改变字体大小"));
}

int LayoutEditor::CountOf(int kind) const
{
    int count = 0;
    for (int row : mDocument.ElementRows()) count += mDocument.Table().KindOf(row) == kind ? 1 : 0;
    return count;
}

void LayoutEditor::SetUpNew(Element& e, int kind) const
{
    const Template t = TemplateOf(kind);
    const int left = mFrame.Twips(t.left), top = mFrame.Twips(t.top);
    e.x = mFrame.ToMm(left);
    e.y = mFrame.ToMm(top);
    // A line keeps its second end where a box keeps its size.
    e.width = mFrame.ToMm(mFrame.Twips(t.width));
    e.height = mFrame.ToMm(mFrame.Twips(t.height));
    e.fontName = QStringLiteral("宋体");
    e.fontSize = t.fontSize;
    e.color = 0;
    if (kind == ElementTable::Line) {
        e.label = QStringLiteral("线条");
        e.dataType = 1; // solid, as it prints
    }
    if (kind == ElementTable::Label) e.label = QStringLiteral("标签");
}

bool LayoutEditor::HasRoomFor(int kind, int more, QString* error) const
{
    if (CountOf(kind) + more <= ElementTable::kMaxPerKind) return true;
    if (error) *error = QStringLiteral("每类输入框最多999个！");
    return false;
}

int LayoutEditor::AddElement(int kind, int x, int y, QString* error)
{
    if (kind < ElementTable::TextBox || kind > ElementTable::Label) {
        if (error) *error = QStringLiteral("输入框类型必须是0到4！");
        return -1;
    }
    if (!HasRoomFor(kind, 1, error)) return -1;
    return mDocument.AddElement(kind, QStringLiteral("添加输入框"), [this, kind, x, y](Element& e) {
        SetUpNew(e, kind);
        if (x == 0 && y == 0) return;
        const UnitRect box = BoxOf(e);
        e = Moved(e, x - box.left, y - box.top, LineGrip::Both);
    });
}

bool LayoutEditor::CopyElements(int times, int currentRow, QString* error)
{
    QList<int> sources = TargetRows(currentRow);
    // Kind by kind, last to first within a kind.
    std::stable_sort(sources.begin(), sources.end(), [this](int a, int b) {
        const int ka = mDocument.Table().KindOf(a), kb = mDocument.Table().KindOf(b);
        return ka != kb ? ka < kb : a > b;
    });
    for (int kind = ElementTable::TextBox; kind <= ElementTable::Label; ++kind) {
        const auto needed = std::count_if(sources.begin(), sources.end(),
                                          [this, kind](int row) { return mDocument.Table().KindOf(row) == kind; });
        if (needed > 0 && !HasRoomFor(kind, static_cast<int>(needed) * std::max(times, 0), error)) return false;
    }
    QSet<qint64> selection = mDocument.Selection();
    if (times <= 0 || sources.isEmpty()) {
        // Nothing to copy: the sources are only deselected.
        for (int source : sources) selection.remove(mDocument.Table().Id(source));
        mDocument.SetSelection(selection);
        return true;
    }
    mDocument.UndoStack().beginMacro(QStringLiteral("复制输入框"));
    for (int source : sources) {
        const Element original = mDocument.ElementAt(source);
        for (int j = 1; j <= times; ++j) {
            const int offset = mFrame.Twips(200 * j);
            const int row = mDocument.AddElement(original.kind, QStringLiteral("复制输入框"), [&](Element& e) {
                const qint64 id = e.id;
                const int number = e.number;
                e = original;
                e.id = id;
                e.number = number;
                const UnitRect box = BoxOf(original);
                e.x = mFrame.ToMm(box.left - offset);
                e.y = mFrame.ToMm(box.top - offset);
                if (original.kind == ElementTable::Line) {
                    e.width = mFrame.ToMm(box.width - offset);
                    e.height = mFrame.ToMm(box.height - offset);
                }
                if (HasCaption(original.kind)) e.label = LayoutGeometry::CopyCaption(original.label, j);
            });
            selection.insert(mDocument.Table().Id(row));
        }
        selection.remove(original.id);
    }
    mDocument.UndoStack().endMacro();
    mDocument.SetSelection(selection);
    return true;
}

void LayoutEditor::DeleteSelected(int currentRow)
{
    mDocument.RemoveRows(TargetRows(currentRow), QStringLiteral("删除输入框"));
}

QString LayoutEditor::DeleteRowsQuestion(int first, int last)
{
    return QStringLiteral("您确定要删除第%1行至第%2行对应的输入框？").arg(std::min(first, last) - 1).arg(std::max(first, last) - 1);
}

void LayoutEditor::DeleteRows(int first, int last)
{
    QList<int> rows;
    for (int row = std::min(first, last); row <= std::max(first, last); ++row) rows << row;
    mDocument.RemoveRows(rows, QStringLiteral("删除输入框"));
}

namespace {

bool AlignTakes(int mode, int kind)
{
    if (mode >= LayoutEditor::SameWidth) return kind == ElementTable::TextBox || kind == ElementTable::PictureBox;
    return HasCaption(kind);
}

} // namespace

bool LayoutEditor::AlignReference(int mode, double* mm) const
{
    bool found = false;
    int reference = 0;
    for (int row : TargetRows(-1)) {
        const Element e = mDocument.ElementAt(row);
        if (!AlignTakes(mode, e.kind)) continue;
        const UnitRect box = BoxOf(e);
        const int values[] = {box.top, box.left, box.Right(), box.Bottom(), box.width, box.height};
        const int value = values[std::clamp(mode, 0, 5)];
        const bool smallest = mode == AlignTop || mode == AlignLeft;
        if (!found || (smallest ? value < reference : value > reference)) reference = value;
        found = true;
    }
    if (found && mm) *mm = std::nearbyint(reference / mFrame.Scale() * 100) / 100;
    return found;
}

void LayoutEditor::Align(int mode, double mm, const QString& step)
{
    const int r = static_cast<int>(std::nearbyint(mm * mFrame.Scale()));
    QList<std::pair<int, Element>> changes;
    for (int row : TargetRows(-1)) {
        const Element e = mDocument.ElementAt(row);
        if (!AlignTakes(mode, e.kind)) continue;
        const UnitRect box = BoxOf(e);
        switch (mode) {
        case AlignTop: changes.append({row, Moved(e, 0, r - box.top, LineGrip::Both)}); break;
        case AlignLeft: changes.append({row, Moved(e, r - box.left, 0, LineGrip::Both)}); break;
        case AlignRight: changes.append({row, Moved(e, r - box.Right(), 0, LineGrip::Both)}); break;
        case AlignBottom: changes.append({row, Moved(e, 0, r - box.Bottom(), LineGrip::Both)}); break;
        case SameWidth: changes.append({row, Sized(e, r - box.width, 0)}); break;
        case SameHeight: changes.append({row, Sized(e, 0, r - box.height)}); break;
        default: break;
        }
    }
    mDocument.ChangeElements(changes, step.isEmpty() ? QStringLiteral("对齐输入框") : step);
}

int LayoutEditor::CheckOutside(Progress& progress)
{
    progress.ShowProgress(QStringLiteral("正在检查所有内容框..."), 5, 0);
    QList<std::pair<int, Element>> changes;
    const int width = static_cast<int>(mFrame.width), height = static_cast<int>(mFrame.height);
    for (int kind = ElementTable::TextBox; kind <= ElementTable::Label; ++kind) {
        for (int row : mDocument.ElementRows()) {
            const Element e = mDocument.ElementAt(row);
            if (e.kind != kind) continue;
            const UnitRect before = BoxOf(e);
            UnitRect after = before;
            if (kind == ElementTable::Line) {
                after.left = std::clamp(before.left, 0, width);
                after.width = std::clamp(before.width, 0, width);
                after.top = std::clamp(before.top, 0, height);
                after.height = std::clamp(before.height, 0, height);
            } else {
                if (after.left < 0 && after.top < 0) after.left = 0, after.top = mFrame.Twips(300);
                after.left = Clamp(after.left, after.width, width);
                after.top = Clamp(after.top, after.height, height);
            }
            const Element moved = AtBox(e, before, after);
            if (!(moved == e)) changes.append({row, moved});
        }
        progress.StepProgress(1);
    }
    mDocument.ChangeElements(changes, QStringLiteral("检查凭据外内容框"));
    progress.CloseProgress();
    return static_cast<int>(changes.size());
}

bool LayoutEditor::GenerateTable(double x0, double y0, double x1, double y1, int rows, int cols, QString* error)
{
    if (rows <= 0 || cols <= 0 || !std::isfinite(x0 + y0 + x1 + y1)) {
        if (error) *error = QStringLiteral("行数和列数必须大于0！");
        return false;
    }
    if (!HasRoomFor(ElementTable::Line, rows + cols + 2, error)) return false;
    const double rowStep = (y1 - y0) / rows, colStep = (x1 - x0) / cols;
    const auto addLine = [this](double ax, double ay, double bx, double by) {
        mDocument.AddElement(ElementTable::Line, QStringLiteral("生成表格"), [&](Element& e) {
            SetUpNew(e, ElementTable::Line);
            e.x = mFrame.ToMm(mFrame.ToUnits(ax));
            e.y = mFrame.ToMm(mFrame.ToUnits(ay));
            e.width = mFrame.ToMm(mFrame.ToUnits(bx));
            e.height = mFrame.ToMm(mFrame.ToUnits(by));
        });
    };
    mDocument.UndoStack().beginMacro(QStringLiteral("生成表格"));
    for (int i = 0; i <= rows; ++i) addLine(x0, y0 + i * rowStep, x1, y0 + i * rowStep);
    for (int i = 0; i <= cols; ++i) addLine(x0 + i * colStep, y0, x0 + i * colStep, y1);
    mDocument.UndoStack().endMacro();
    return true;
}

} // namespace kestrio
