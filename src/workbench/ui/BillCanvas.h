#pragma once

#include <QHash>
#include <QImage>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QScrollBar;
class QTimer;

namespace kestrio {

class AppContext;
class BillRenderer;
class CanvasTool;
class EntryTool;
class FormatDocument;
class Workspace;

// The canvas PG: the page of the open format drawn to scale inside its frame PFrm, with one
// live control per element row of the workspace's table. Text boxes TT (kind 0), check boxes
// CC (1), picture boxes II (2), lines LN (3) and fixed labels LB (4) are addressed by element
// index kind × 1000 + n; text, check and picture boxes have a caption label LL of the same
// index. Every control is named after its array and index ("TT_1", "CC_1001", "LL_1").
//
// The view of the open format document: it follows the document's signals and hands the
// events of its controls to the tool that works on it (typing a bill: EntryTool). The
// workspace is the truth: typing, clicking, ticking and leaving boxes go through the
// data-entry core and every control is then refreshed from the workspace.
//
// Sizes are in pixels of the canvas; the scale is k = canvas width ÷ page width (pixels per
// millimetre), and fonts are the stored size × (canvas width ÷ frame width).
class BillCanvas final : public QWidget {
    Q_OBJECT

public:
    BillCanvas(AppContext& app, FormatDocument& document, QWidget* frame);
    ~BillCanvas() override;

    // The page across the frame's width at the page's proportions; controls rebuilt.
    void FitPage();
    // 0: ×1.1, 1: ×0.9, 2: fit to the frame's width. The relative scroll position is kept.
    void Zoom(int index);
    // The vertical bar VS and the horizontal bar PHS that move the canvas in its frame.
    void SetScrollBars(QScrollBar* vs, QScrollBar* phs);

    // One control per element row of the table, at the present scale, showing the workspace.
    void RebuildElements();
    // Every control shows what the workspace holds.
    void RefreshFromWorkspace();

    // Option 0: the 2-mm grid with centimetre lines and figures.
    void SetShowGrid(bool show);
    // Option 4: the background stretched over the page; captions hide while it shows.
    void SetShowBackground(bool show, const QImage& background);
    // The selection frames with their handles over the selected elements (on unless a
    // picture of only what prints is wanted).
    void SetShowFrames(bool show);
    // What the boxes print, drawn onto `device` (the size of the canvas) through the print
    // renderer at the canvas's scale, with the selection frames when they are shown. The
    // canvas paints its boxes with this; the text box being typed in shows itself.
    void PaintInk(QPaintDevice& device, bool frames) const;
    // Twips of paper → canvas pixels, as dots per inch of paper.
    double PaperDotsPerInch() const { return Scale() * 25.4; }
    // Option 2.
    void SetLocked(bool locked) { mLocked = locked; }
    bool Locked() const { return mLocked; }
    bool ShowsGrid() const { return mShowGrid; }
    bool ShowsBackground() const { return mShowBackground && !mBackground.isNull(); }

    // The control of an element index; null for an index with no control.
    QWidget* Control(int elementIndex) const;
    // The caption label LL of a text, check or picture box; null for others.
    QLabel* Caption(int elementIndex) const;
    // The element-table row of a control or caption; −1 when it is none of ours.
    int RowOf(const QWidget* control) const;
    // The element index of a table row; 0 when the row has no control.
    int ElementIndexOfRow(int row) const;
    // Number of elements of a kind (0–4).
    int Count(int kind) const;
    // Pixels per millimetre.
    double Scale() const;
    // Millimetres → canvas pixels (nearest, halves to even).
    int ToPixels(double mm) const;
    // BillCanvas width ÷ frame width: the factor of font sizes and line widths.
    double CanvasFactor() const;
    // The frame width (pixels) the font sizes and line widths are measured against; 0: the
    // frame's own. A pane beside the frame narrows the frame but not this width, so the page
    // then shows smaller, as it prints.
    void SetReferenceWidth(int pixels) { mReferenceWidth = pixels; }
    int ReferenceWidth() const;

    // The box being typed in is left (its text converted and the others recalculated), as
    // before printing or saving: a menu takes no focus from it. False when the box refused
    // its text (an amount that would print wrong): the message was shown, the box has the focus.
    bool LeaveCurrentBox();
    // Related-box marks back to white.
    void HideRelationColor();
    // The background colour (0x00BBGGRR) a text box shows.
    int BoxBackground(int elementIndex) const;

    // The suggestion list COMB and the text box it belongs to (0 when hidden).
    QListWidget* SuggestionList() const;
    int SuggestionBox() const;
    // The text box that last took a key (autocompletion); 0 for none.
    int CurrentBox() const;

    // The tool that gets the controls' events; the entry tool unless another is set.
    void SetTool(CanvasTool* tool);
    EntryTool& Entry() const { return *mEntry; }

    // One control of an element row, as the tools see it.
    struct Element {
        int kind = 0;
        int index = 0;
        int row = 0;
        QWidget* control = nullptr;
        QLabel* caption = nullptr;
        bool multiLine = false;
        int background = 0xFFFFFF;
        QString shownPicture;
    };
    QHash<int, Element>& Elements() { return mElements; }
    // True while the controls are being filled from the workspace.
    bool Refreshing() const { return mRefreshing; }
    QString ControlText(const Element& element) const;
    void SetControlText(Element& element, const QString& text);
    void ShowBoxText(Element& element);
    void SetBoxBackground(Element& element, int colour);
    // A text box's background: plain, or grey while the designer has it selected.
    static constexpr int kPlainBackground = 0xFFFFFF;
    static constexpr int kSelectedBackground = 0xD0D0D0;

signals:
    void contentsChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RemoveElements();
    void CreateElement(int row, int kind);
    void ApplyRow(Element& element);
    void PlaceCaption(Element& element);
    void ShowPicture(Element& element);
    void UpdateCaptionVisibility();
    void PlaceCanvas();
    void UpdateScrollBars(double oldTopShare, double oldLeftShare);

    Element* ElementOf(const QObject* object);
    void ApplyChangedRow(int row);
    // A text box shows its own text only while it is typed in; otherwise the ink does.
    void ShowOwnText(Element& element, bool show);
    void UpdateInk();

    AppContext& mApp;
    FormatDocument& mDocument;
    Workspace& mWs;
    QWidget* mFrame;
    QPointer<QScrollBar> mVerticalBar;
    QPointer<QScrollBar> mPageBar;
    // The canvas size kept exactly, so that zoom factors multiply without rounding drift.
    double mWidth = 0;
    double mHeight = 0;
    double mLeft = 0;
    double mTop = 0;

    QHash<int, Element> mElements; // by element index
    QHash<const QObject*, int> mIndexOf; // control or caption → element index
    std::array<int, 5> mCounts{};

    QWidget* mInk = nullptr;
    // The renderer the ink is drawn with, kept for its fitted font sizes while the frame
    // width it measures against stays.
    mutable std::unique_ptr<BillRenderer> mInkRenderer;
    mutable double mInkFrameTwips = 0;
    bool mShowFrames = true;
    bool mShowGrid = false;
    bool mShowBackground = false;
    bool mLocked = false;
    int mReferenceWidth = 0;
    QImage mBackground;

    bool mRefreshing = false;
    bool mRemoving = false;
    EntryTool* mEntry = nullptr;
    CanvasTool* mTool = nullptr;
};

} // namespace kestrio
