#include "workbench/ui/BillCanvas.h"

#include "workbench/ui/CanvasTool.h"
#include "workbench/ui/EntryTool.h"
#include "format/FormatDocument.h"

#include "app/ui/WidgetPlace.h"
#include "app/AppContext.h"
#include "convert/BoxConverter.h"
#include "entry/AutoFill.h"
#include "entry/DataEntry.h"
#include "format/Workspace.h"
#include "print/Barcode.h"
#include "print/BillRenderer.h"
#include "print/PainterSurface.h"
#include "designer/LayoutGeometry.h"
#include "app/ui/GuiScreenInfo.h"
#include "entry/EntryKit.h"
#include "print/PictureContent.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRubberBand>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTimer>

#include <cmath>

namespace kestrio {

namespace {

constexpr int kGridCentimetre = 0x0072FF;
constexpr int kGridTwoMillimetre = 0x8DC0FF;
// Caption beside a box: this far below the box's top (twips).
constexpr int kCaptionDrop = 40;
// Grid figures: distance of the bottom figures from the bottom edge and of the right ones
// from the right edge (twips).
constexpr int kFigureFromBottom = 260;
constexpr int kFigureOneDigit = 130;
constexpr int kFigureTwoDigits = 260;
constexpr int kFigurePixels = 15;
// A text box taller than this many lines of its font takes several lines.
constexpr double kMultiLineShare = 1.6;

QString ArrayName(int kind)
{
    static const QStringList names{QStringLiteral("TT"), QStringLiteral("CC"), QStringLiteral("II"),
                                   QStringLiteral("LN"), QStringLiteral("LB")};
    return names.value(kind);
}

QColor FromBgr(int colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

int WholeCode(double code) { return static_cast<int>(std::trunc(code)); }

// A line element: a transparent child covering the line; the canvas's ink draws it.
class LineControl final : public QWidget {
public:
    explicit LineControl(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

    void SetLine(QPoint from, QPoint to, double width)
    {
        const int margin = static_cast<int>(std::ceil(qMax(1.0, width)));
        setGeometry(QRect(from, to).normalized().adjusted(-margin, -margin, margin, margin));
    }
};

// What the boxes print, over the controls: painted by the canvas, blind to the mouse.
class InkLayer final : public QWidget {
public:
    explicit InkLayer(BillCanvas* canvas) : QWidget(canvas), mCanvas(canvas)
    {
        setObjectName(QStringLiteral("PG_ink"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override { mCanvas->PaintInk(*this, true); }

private:
    BillCanvas* mCanvas;
};

// The selection frame and its handles.
const QColor& FrameColour()
{
    static const QColor colour(0, 102, 204);
    return colour;
}

// What the boxes do, made for each use from the program's parameters.

} // namespace

BillCanvas::BillCanvas(AppContext& app, FormatDocument& document, QWidget* frame)
    : QWidget(frame), mApp(app), mDocument(document), mWs(document.Data()), mFrame(frame)
{
    setObjectName(QStringLiteral("PG"));
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::ClickFocus);
    mEntry = new EntryTool(app, mWs, *this);
    mTool = mEntry;
    mInk = new InkLayer(this);
    connect(&mDocument, &FormatDocument::selectionChanged, this, &BillCanvas::UpdateInk);
    connect(&mDocument, &FormatDocument::contentsChanged, this, &BillCanvas::UpdateInk);
    connect(this, &BillCanvas::contentsChanged, this, &BillCanvas::UpdateInk);
    connect(&mDocument, &FormatDocument::tableReset, this, &BillCanvas::RebuildElements);
    connect(&mDocument, &FormatDocument::elementAdded, this, &BillCanvas::RebuildElements);
    connect(&mDocument, &FormatDocument::elementRemoved, this, &BillCanvas::RebuildElements);
    connect(&mDocument, &FormatDocument::elementChanged, this, &BillCanvas::ApplyChangedRow);
}

BillCanvas::~BillCanvas()
{
    mRemoving = true;
    for (auto it = mElements.begin(); it != mElements.end(); ++it) {
        it->control->removeEventFilter(this);
        if (auto* edit = qobject_cast<QPlainTextEdit*>(it->control)) edit->viewport()->removeEventFilter(this);
    }
}

// ---------------------------------------------------------------------------------------
// Scale

double BillCanvas::Scale() const
{
    const double pageWidth = mWs.Width();
    return pageWidth > 0 ? mWidth / pageWidth : 0;
}

int BillCanvas::ToPixels(double mm) const
{
    return static_cast<int>(std::nearbyint(Scale() * mm));
}

double BillCanvas::CanvasFactor() const
{
    const int frameWidth = ReferenceWidth();
    return frameWidth > 0 ? mWidth / frameWidth : 1;
}

int BillCanvas::ReferenceWidth() const
{
    return mReferenceWidth > 0 ? mReferenceWidth : (mFrame ? mFrame->width() : 0);
}

// ---------------------------------------------------------------------------------------
// Size, zoom and scrolling

void BillCanvas::FitPage()
{
    const double pageWidth = mWs.Width();
    const double pageHeight = mWs.Height();
    mWidth = mFrame ? mFrame->width() : width();
    mHeight = pageWidth > 0 && pageHeight > 0 ? mWidth / (pageWidth / pageHeight) : mWidth;
    mLeft = 0;
    mTop = 0;
    // The canvas is exactly as wide as the frame, so the horizontal bar goes off.
    UpdateScrollBars(0, 0);
    PlaceCanvas();
    RebuildElements();
    update();
}

void BillCanvas::Zoom(int index)
{
    double d = 0;
    if (index == 0) d = 0.1;
    else if (index == 1) d = -0.1;
    else if (index == 2 && mWidth > 0) d = -(mWidth - (mFrame ? mFrame->width() : mWidth)) / mWidth;
    else return;
    const bool wasShown = isVisibleTo(parentWidget());
    hide();
    const double topShare = mHeight > 0 ? mTop / mHeight : 0;
    const double leftShare = mWidth > 0 ? mLeft / mWidth : 0;
    mWidth *= 1 + d;
    mHeight *= 1 + d;
    UpdateScrollBars(topShare, leftShare);
    PlaceCanvas();
    // The contents live in the workspace and come back with the rebuilt controls.
    RebuildElements();
    update();
    if (wasShown) show();
}

void BillCanvas::UpdateScrollBars(double oldTopShare, double oldLeftShare)
{
    const int frameHeight = mFrame ? mFrame->height() : 0;
    const int frameWidth = mFrame ? mFrame->width() : 0;
    const auto adjust = [](QScrollBar* bar, double size, int frameSize, double share, double& position) {
        if (size > frameSize) {
            const int value = qBound(0, static_cast<int>(std::nearbyint(std::fabs(share) * 5)), 5);
            if (bar) {
                const QSignalBlocker blocker(bar);
                bar->setRange(0, 5);
                bar->setValue(value);
                bar->setEnabled(true);
            }
            position = -((size - frameSize) / 5) * value;
        } else {
            position = 0;
            if (bar) {
                const QSignalBlocker blocker(bar);
                bar->setRange(0, 0);
                bar->setEnabled(false);
            }
        }
    };
    adjust(mVerticalBar, mHeight, frameHeight, oldTopShare, mTop);
    adjust(mPageBar, mWidth, frameWidth, oldLeftShare, mLeft);
}

void BillCanvas::SetScrollBars(QScrollBar* vs, QScrollBar* phs)
{
    if (mVerticalBar) disconnect(mVerticalBar, nullptr, this, nullptr);
    if (mPageBar) disconnect(mPageBar, nullptr, this, nullptr);
    mVerticalBar = vs;
    mPageBar = phs;
    if (mVerticalBar) {
        connect(mVerticalBar, &QScrollBar::valueChanged, this, [this](int value) {
            const int frameHeight = mFrame ? mFrame->height() : 0;
            mTop = mHeight > frameHeight ? -((mHeight - frameHeight) / 5) * value : 0;
            PlaceCanvas();
        });
    }
    if (mPageBar) {
        connect(mPageBar, &QScrollBar::valueChanged, this, [this](int value) {
            const int frameWidth = mFrame ? mFrame->width() : 0;
            mLeft = mWidth > frameWidth ? -((mWidth - frameWidth) / 5) * value : 0;
            PlaceCanvas();
        });
    }
}

void BillCanvas::PlaceCanvas()
{
    setGeometry(static_cast<int>(std::lround(mLeft)), static_cast<int>(std::lround(mTop)),
                static_cast<int>(std::lround(mWidth)), static_cast<int>(std::lround(mHeight)));
}

// ---------------------------------------------------------------------------------------
// Drawing

void BillCanvas::SetShowGrid(bool show)
{
    mShowGrid = show;
    update();
}

void BillCanvas::SetShowBackground(bool show, const QImage& background)
{
    mShowBackground = show;
    mBackground = background;
    UpdateCaptionVisibility();
    update();
}

void BillCanvas::UpdateCaptionVisibility()
{
    const bool hide = ShowsBackground();
    for (const Element& element : std::as_const(mElements))
        if (element.caption) element.caption->setVisible(!hide);
}

void BillCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (ShowsBackground()) painter.drawImage(rect(), mBackground);
    const double pageWidth = mWs.Width();
    if (!mShowGrid || pageWidth <= 0 || width() <= 0) return;

    const double u = width() / pageWidth;
    const QPen strong(FromBgr(kGridCentimetre));
    const QPen light(FromBgr(kGridTwoMillimetre));
    const int across = static_cast<int>(std::nearbyint(pageWidth));
    const int down = static_cast<int>(std::nearbyint(static_cast<double>(height()) / width() * pageWidth));
    for (int i = 0; i <= across; i += 2) {
        const int x = static_cast<int>(std::lround(i * u));
        painter.setPen(i % 10 == 0 ? strong : light);
        painter.drawLine(x, 0, x, height());
    }
    for (int i = 0; i <= down; i += 2) {
        const int y = static_cast<int>(std::lround(i * u));
        painter.setPen(i % 10 == 0 ? strong : light);
        painter.drawLine(0, y, width(), y);
    }
    QFont figures = font();
    figures.setPixelSize(kFigurePixels);
    painter.setFont(figures);
    painter.setPen(strong);
    const auto figureAt = [&painter](int x, int y, const QString& text) {
        painter.drawText(QRect(x, y, 200, 40), Qt::AlignLeft | Qt::AlignTop, text);
    };
    const int bottom = height() - WidgetPlace::ToPixelsY(kFigureFromBottom);
    for (int i = 0; i <= across; i += 10) {
        const int x = static_cast<int>(std::lround(i * u));
        figureAt(x, 0, QString::number(i / 10));
        figureAt(x, bottom, QString::number(i / 10));
    }
    for (int i = 10; i <= down; i += 10) {
        const int y = static_cast<int>(std::lround(i * u));
        const QString text = QString::number(i / 10);
        figureAt(0, y, text);
        figureAt(width() - WidgetPlace::ToPixelsX(i >= 100 ? kFigureTwoDigits : kFigureOneDigit), y, text);
    }
}

// ---------------------------------------------------------------------------------------
// Elements

QWidget* BillCanvas::Control(int elementIndex) const
{
    const auto it = mElements.constFind(elementIndex);
    return it == mElements.constEnd() ? nullptr : it->control;
}

QLabel* BillCanvas::Caption(int elementIndex) const
{
    const auto it = mElements.constFind(elementIndex);
    return it == mElements.constEnd() ? nullptr : it->caption;
}

int BillCanvas::RowOf(const QWidget* control) const
{
    const auto it = mIndexOf.constFind(control);
    if (it == mIndexOf.constEnd()) return -1;
    return mElements.value(*it).row;
}

int BillCanvas::ElementIndexOfRow(int row) const
{
    for (const Element& element : mElements)
        if (element.row == row) return element.index;
    return 0;
}

int BillCanvas::Count(int kind) const
{
    return kind >= 0 && kind < static_cast<int>(mCounts.size()) ? mCounts[static_cast<std::size_t>(kind)] : 0;
}

BillCanvas::Element* BillCanvas::ElementOf(const QObject* object)
{
    const auto it = mIndexOf.constFind(object);
    if (it == mIndexOf.constEnd()) return nullptr;
    const auto element = mElements.find(*it);
    return element == mElements.end() ? nullptr : &*element;
}

void BillCanvas::RemoveElements()
{
    mRemoving = true;
    for (Element& element : mElements) {
        element.control->removeEventFilter(this);
        if (auto* edit = qobject_cast<QPlainTextEdit*>(element.control)) edit->viewport()->removeEventFilter(this);
        delete element.control;
        delete element.caption;
    }
    mElements.clear();
    mIndexOf.clear();
    mCounts.fill(0);
    mRemoving = false;
}

void BillCanvas::RebuildElements()
{
    mEntry->Reset();
    RemoveElements();
    const ElementTable& table = mWs.table;
    for (int row = ElementTable::kFirstRow; row < table.RowCount(); ++row) {
        const int kind = table.KindOf(row);
        if (kind < ElementTable::TextBox || kind > ElementTable::Label) continue;
        if (mCounts[static_cast<std::size_t>(kind)] >= ElementTable::kMaxPerKind) continue;
        CreateElement(row, kind);
    }
    UpdateCaptionVisibility();
    mInk->raise();
    for (QRubberBand* band : findChildren<QRubberBand*>(Qt::FindDirectChildrenOnly)) band->raise();
    mEntry->SuggestionList()->raise();
    UpdateInk();
}

void BillCanvas::CreateElement(int row, int kind)
{
    const ElementTable& table = mWs.table;
    Element element;
    element.kind = kind;
    element.row = row;
    element.index = kind * 1000 + ++mCounts[static_cast<std::size_t>(kind)];
    const QString suffix = QLatin1Char('_') + QString::number(element.index);

    switch (kind) {
    case ElementTable::TextBox: {
        const double fontMm = table.Number(row, ElementTable::ColFontSize) * 25.4 / 72 * 1.25;
        element.multiLine = table.Number(row, ElementTable::ColH) > kMultiLineShare * fontMm;
        if (element.multiLine) {
            auto* edit = new QPlainTextEdit(this);
            edit->setTabChangesFocus(true);
            edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            edit->document()->setDocumentMargin(1);
            edit->viewport()->installEventFilter(this);
            edit->viewport()->setMouseTracking(true);
            mIndexOf.insert(edit->viewport(), element.index);
            connect(edit, &QPlainTextEdit::textChanged, this, [this, edit] {
                if (Element* e = ElementOf(edit); e && mTool) mTool->BoxEdited(*e);
            });
            element.control = edit;
        } else {
            auto* edit = new QLineEdit(this);
            connect(edit, &QLineEdit::textEdited, this, [this, edit] {
                if (Element* e = ElementOf(edit); e && mTool) mTool->BoxEdited(*e);
            });
            element.control = edit;
        }
        break;
    }
    case ElementTable::CheckBox: {
        auto* box = new QCheckBox(this);
        connect(box, &QCheckBox::clicked, this, [this, box](bool checked) {
            if (Element* e = ElementOf(box); e && mTool) mTool->CheckBoxClicked(*e, checked);
        });
        element.control = box;
        break;
    }
    case ElementTable::PictureBox: {
        auto* picture = new QLabel(this);
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        element.control = picture;
        break;
    }
    case ElementTable::Line:
        element.control = new LineControl(this);
        break;
    default: {
        auto* label = new QLabel(this);
        label->setWordWrap(false);
        element.control = label;
        break;
    }
    }
    element.control->setObjectName(ArrayName(kind) + suffix);
    element.control->installEventFilter(this);
    // Every kind tells the arrow where the mouse is, so each has its zones and handles.
    element.control->setMouseTracking(true);
    mIndexOf.insert(element.control, element.index);
    if (kind <= ElementTable::PictureBox) {
        element.caption = new QLabel(this);
        element.caption->setObjectName(QStringLiteral("LL") + suffix);
        mIndexOf.insert(element.caption, element.index);
    }
    auto inserted = mElements.insert(element.index, element);
    ApplyRow(*inserted);
    inserted->control->show();
    if (inserted->caption) inserted->caption->show();
}

void BillCanvas::ApplyRow(Element& element)
{
    const ElementTable& table = mWs.table;
    const int row = element.row;
    const double factor = CanvasFactor();
    const QColor colour = FromBgr(table.Color(row));

    if (element.kind == ElementTable::Line) {
        const QPoint from(ToPixels(table.Number(row, ElementTable::ColX)), ToPixels(table.Number(row, ElementTable::ColY)));
        const QPoint to(ToPixels(table.Number(row, ElementTable::ColW)), ToPixels(table.Number(row, ElementTable::ColH)));
        static_cast<LineControl*>(element.control)->SetLine(from, to, table.Number(row, ElementTable::ColFontSize) * factor);
        UpdateInk();
        return;
    }

    QWidget* control = element.control;
    const int left = ToPixels(table.Number(row, ElementTable::ColX));
    const int top = ToPixels(table.Number(row, ElementTable::ColY));
    QFont font(table.Text(row, ElementTable::ColFontName));
    if (element.kind != ElementTable::CheckBox) {
        const double size = table.Number(row, ElementTable::ColFontSize) * factor;
        if (size > 0) font.setPointSizeF(size);
    }
    font.setBold(!table.Text(row, ElementTable::ColBold).isEmpty());
    font.setItalic(!table.Text(row, ElementTable::ColItalic).isEmpty());
    font.setUnderline(!table.Text(row, ElementTable::ColUnderline).isEmpty());
    font.setStrikeOut(!table.Text(row, ElementTable::ColStrikethru).isEmpty());
    control->setFont(font);
    if (element.kind == ElementTable::CheckBox) {
        control->move(left, top);
        control->resize(control->sizeHint());
    } else {
        control->setGeometry(left, top, ToPixels(table.Number(row, ElementTable::ColW)),
                             ToPixels(table.Number(row, ElementTable::ColH)));
    }

    Qt::Alignment alignment = Qt::AlignLeft;
    const int alignCode = static_cast<int>(std::trunc(std::fabs(table.Number(row, ElementTable::ColL)) / 1000));
    if (alignCode == 1) alignment = Qt::AlignRight;
    else if (alignCode == 2) alignment = Qt::AlignHCenter;

    // The ink draws what prints; a box's own text shows only while it is typed in.
    QPalette palette = control->palette();
    palette.setColor(QPalette::Text, control->hasFocus() ? colour : QColor(Qt::transparent));
    palette.setColor(QPalette::WindowText, element.kind == ElementTable::Label ? QColor(Qt::transparent) : colour);
    control->setPalette(palette);

    switch (element.kind) {
    case ElementTable::TextBox: {
        const double code = table.Number(row, ElementTable::ColCash);
        const int whole = WholeCode(code);
        if ((whole >= 1 && whole <= 99) || (whole >= 301 && whole <= 399) || whole == 114 || whole == 121)
            alignment = Qt::AlignRight;
        const bool border = BoxConverter::HasBorder(code);
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            edit->setFrame(border);
            edit->setAlignment(alignment | Qt::AlignVCenter);
        } else if (auto* edit = qobject_cast<QPlainTextEdit*>(control)) {
            edit->setFrameShape(border ? QFrame::Box : QFrame::NoFrame);
            QTextOption option = edit->document()->defaultTextOption();
            option.setAlignment(alignment);
            edit->document()->setDefaultTextOption(option);
        }
        // The look it has (selected, a related-box mark) stays through a change of the row.
        SetBoxBackground(element, element.background);
        ShowBoxText(element);
        break;
    }
    case ElementTable::CheckBox: {
        const QSignalBlocker blocker(control);
        static_cast<QCheckBox*>(control)->setChecked(!mWs.BoxText(row).isEmpty());
        break;
    }
    case ElementTable::PictureBox:
        element.shownPicture.clear();
        ShowPicture(element);
        break;
    case ElementTable::Label: {
        auto* label = static_cast<QLabel*>(control);
        label->setText(table.Text(row, ElementTable::ColLbl));
        label->setAlignment(alignment | Qt::AlignTop);
        break;
    }
    default:
        break;
    }
    if (element.caption) {
        element.caption->setText(table.Text(row, ElementTable::ColLbl));
        element.caption->adjustSize();
        PlaceCaption(element);
    }
    UpdateInk();
}

void BillCanvas::PlaceCaption(Element& element)
{
    if (!element.caption) return;
    const QRect box = element.control->geometry();
    QLabel* caption = element.caption;
    const int drop = WidgetPlace::ToPixelsY(kCaptionDrop);
    switch (ElementTable::DirCode(mWs.table.Text(element.row, ElementTable::ColDir))) {
    case 0: caption->move(box.left(), box.top() - caption->height()); break;
    case 1: caption->move(box.left() - caption->width(), box.top() + drop); break;
    case 2: caption->move(box.left() + box.width(), box.top() + drop); break;
    default: caption->move(box.left(), box.top() + box.height()); break;
    }
}

void BillCanvas::ShowPicture(Element& element)
{
    auto* label = static_cast<QLabel*>(element.control);
    const QString content = mWs.BoxText(element.row);
    const auto standard = Barcode::ParseStandard(mApp.Parameters().GetParam(QStringLiteral("StrBarCodeStand")));
    const PictureContent::View view = PictureContent::SetPictureContent(
        mWs, element.row, content, label->size(), logicalDpiX(),
        mWs.table.Number(element.row, ElementTable::ColFontSize) * CanvasFactor(), standard);
    label->setPixmap(view.image.isNull() ? QPixmap() : QPixmap::fromImage(view.image));
    label->setToolTip(view.toolTip);
    element.shownPicture = mWs.BoxText(element.row);
}

QString BillCanvas::ControlText(const Element& element) const
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(element.control)) return edit->text();
    if (const auto* edit = qobject_cast<const QPlainTextEdit*>(element.control))
        return edit->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return {};
}

void BillCanvas::SetControlText(Element& element, const QString& text)
{
    const bool wasRefreshing = mRefreshing;
    mRefreshing = true;
    if (auto* edit = qobject_cast<QLineEdit*>(element.control)) {
        edit->setText(text);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(element.control)) {
        QString plain = text;
        plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        edit->setPlainText(plain);
    }
    mRefreshing = wasRefreshing;
}

void BillCanvas::ShowBoxText(Element& element)
{
    const QString text = mWs.BoxText(element.row);
    if (ControlText(element) != text) SetControlText(element, text);
}

void BillCanvas::RefreshFromWorkspace()
{
    mRefreshing = true;
    for (Element& element : mElements) {
        switch (element.kind) {
        case ElementTable::TextBox:
            ShowBoxText(element);
            break;
        case ElementTable::CheckBox: {
            const QSignalBlocker blocker(element.control);
            static_cast<QCheckBox*>(element.control)->setChecked(!mWs.BoxText(element.row).isEmpty());
            break;
        }
        case ElementTable::PictureBox:
            if (mWs.BoxText(element.row) != element.shownPicture) ShowPicture(element);
            break;
        default:
            break;
        }
    }
    mRefreshing = false;
    UpdateInk();
}

// ---------------------------------------------------------------------------------------
// Box colours

void BillCanvas::SetBoxBackground(Element& element, int colour)
{
    element.background = colour;
    QPalette palette = element.control->palette();
    palette.setColor(QPalette::Base, FromBgr(colour));
    element.control->setPalette(palette);
}

int BillCanvas::BoxBackground(int elementIndex) const
{
    const auto it = mElements.constFind(elementIndex);
    return it == mElements.constEnd() || it->kind != ElementTable::TextBox ? -1 : it->background;
}

// ---------------------------------------------------------------------------------------
// Events go to the tool that works on the canvas

bool BillCanvas::eventFilter(QObject* watched, QEvent* event)
{
    if (mRemoving || !mTool) return QWidget::eventFilter(watched, event);
    Element* element = ElementOf(watched);
    if (element && element->kind == ElementTable::TextBox && watched == element->control
        && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        ShowOwnText(*element, event->type() == QEvent::FocusIn);
    if (element && mTool->ElementEvent(*element, watched, event)) return true;
    return QWidget::eventFilter(watched, event);
}

void BillCanvas::mousePressEvent(QMouseEvent* event)
{
    if (mTool) mTool->CanvasMousePress(event);
    QWidget::mousePressEvent(event);
}

bool BillCanvas::event(QEvent* event)
{
    if (mTool && event->type() != QEvent::MouseButtonPress && mTool->CanvasEvent(event)) return true;
    return QWidget::event(event);
}

void BillCanvas::SetTool(CanvasTool* tool)
{
    mTool = tool ? tool : mEntry;
}

void BillCanvas::ApplyChangedRow(int row)
{
    const auto it = mElements.find(ElementIndexOfRow(row));
    if (it != mElements.end()) ApplyRow(*it);
}

void BillCanvas::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    mInk->setGeometry(rect());
}

void BillCanvas::UpdateInk()
{
    if (mInk) mInk->update();
}

void BillCanvas::SetShowFrames(bool show)
{
    mShowFrames = show;
    UpdateInk();
}

void BillCanvas::ShowOwnText(Element& element, bool show)
{
    QPalette palette = element.control->palette();
    palette.setColor(QPalette::Text, show ? FromBgr(mWs.table.Color(element.row)) : QColor(Qt::transparent));
    element.control->setPalette(palette);
    UpdateInk();
}

void BillCanvas::PaintInk(QPaintDevice& device, bool frames) const
{
    if (mWs.Width() <= 0 || width() <= 0) return;
    const QSet<qint64>& selection = mDocument.Selection();
    const ElementTable& table = mWs.table;
    const auto selected = [&](int row) { return table.IsDataRow(row) && selection.contains(table.Id(row)); };
    {
        // One layout for the paper and the screen: the print renderer on a surface whose
        // twips of paper are pixels of this canvas.
        PainterSurface surface(device, QStringLiteral("canvas"));
        surface.setResolution(PaperDotsPerInch());
        const double frameTwips = ReferenceWidth() * GuiScreenInfo::TwipsPerPixelX();
        if (!mInkRenderer || frameTwips != mInkFrameTwips) {
            BillRenderer::Environment env{mApp.Screen(), frameTwips, Barcode::Standard::Code39, QImage(), nullptr, {}};
            // Check boxes and pictures show themselves; so does the text box being typed in.
            env.drawsRow = [this](int row) {
                const int kind = mWs.table.KindOf(row);
                if (kind == ElementTable::CheckBox || kind == ElementTable::PictureBox) return false;
                if (kind != ElementTable::TextBox) return true;
                const QWidget* control = Control(ElementIndexOfRow(row));
                return !(control && control->hasFocus());
            };
            env.lineColour = [this](int row, quint32 colour) {
                const bool chosen = mWs.table.IsDataRow(row) && mDocument.Selection().contains(mWs.table.Id(row));
                return chosen ? quint32(kSelectedBackground) : colour;
            };
            mInkRenderer = std::make_unique<BillRenderer>(surface, env);
            mInkFrameTwips = frameTwips;
        }
        // Texts are measured at the same printer resolution on every surface of the ink.
        mInkRenderer->SetSurface(surface, true);
        mInkRenderer->RenderBill(mWs, 0, 0);
    }
    if (!frames || !mShowFrames || selection.isEmpty()) return;
    QPainter painter(&device);
    const int half = qMax(2, static_cast<int>(std::lround(LayoutGeometry::kHandleHalf / GuiScreenInfo::TwipsPerPixelX())));
    const auto handle = [&](QPoint centre) {
        const QRect square(centre.x() - half, centre.y() - half, 2 * half + 1, 2 * half + 1);
        painter.fillRect(square, Qt::white);
        painter.setPen(QPen(FrameColour(), 1));
        painter.drawRect(square.adjusted(0, 0, -1, -1));
    };
    for (const Element& element : mElements) {
        if (!selected(element.row)) continue;
        if (element.kind == ElementTable::Line) {
            handle({ToPixels(table.Number(element.row, ElementTable::ColX)), ToPixels(table.Number(element.row, ElementTable::ColY))});
            handle({ToPixels(table.Number(element.row, ElementTable::ColW)), ToPixels(table.Number(element.row, ElementTable::ColH))});
            continue;
        }
        const QRect box = element.control->geometry();
        painter.setPen(QPen(FrameColour(), 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.adjusted(-1, -1, 0, 0));
        if (element.kind == ElementTable::CheckBox) continue; // a tick box keeps its size
        const UnitRect frame{box.left(), box.top(), box.width(), box.height()};
        for (Handle h : {Handle::TopLeft, Handle::Top, Handle::TopRight, Handle::Right, Handle::BottomRight,
                         Handle::Bottom, Handle::BottomLeft, Handle::Left}) {
            int x = 0, y = 0;
            LayoutGeometry::HandleCentre(h, frame, &x, &y);
            handle({x, y});
        }
    }
}

bool BillCanvas::LeaveCurrentBox() { return mEntry->LeaveCurrentBox(); }
void BillCanvas::HideRelationColor() { mEntry->HideRelationColor(); }
QListWidget* BillCanvas::SuggestionList() const { return mEntry->SuggestionList(); }
int BillCanvas::SuggestionBox() const { return mEntry->SuggestionBox(); }
int BillCanvas::CurrentBox() const { return mEntry->CurrentBox(); }

} // namespace kestrio
