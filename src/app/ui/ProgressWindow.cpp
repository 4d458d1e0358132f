#include "app/ui/ProgressWindow.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <cmath>

namespace kestrio {

namespace {

constexpr int kBarWidthPx = 360;
constexpr int kBarHeightPx = 18;

QLabel* NamedLabel(const QString& name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

} // namespace

ProgressWindow::ProgressWindow(const Clock& clock, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint),
      mMeter(clock),
      mBar(kBarWidthPx, kBarHeightPx, QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("Indicator"));
    setWindowTitle(Caption());
    // Closing the indicator must never end the program, whichever window is open besides it.
    setAttribute(Qt::WA_QuitOnClose, false);
    BuildControls();
    DrawBar(0);
}

void ProgressWindow::BuildControls()
{
    mCaption = NamedLabel(QStringLiteral("LBL"), this);
    mPercent = NamedLabel(QStringLiteral("Percent"), this);
    mCount = NamedLabel(QStringLiteral("L1"), this);
    mTimes = NamedLabel(QStringLiteral("L2"), this);
    mPic = NamedLabel(QStringLiteral("Pic"), this);
    mPic->setFixedSize(kBarWidthPx, kBarHeightPx);
    mPic->setFrameShape(QFrame::Box);
    mPercent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    mTimes->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    for (QLabel* text : {mCaption, mPercent, mCount, mTimes}) text->setMinimumHeight(fontMetrics().height() + 2);
    mPercent->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("100.0%")) + 8);

    auto* counts = new QHBoxLayout;
    counts->addWidget(mCount);
    counts->addStretch();
    counts->addWidget(mTimes);
    auto* grid = new QGridLayout(this);
    grid->addWidget(mCaption, 0, 0, 1, 2);
    grid->addWidget(mPic, 1, 0);
    grid->addWidget(mPercent, 1, 1);
    grid->addLayout(counts, 2, 0, 1, 2);
    setFixedSize(sizeHint());
}

void ProgressWindow::ShowProgress(const QString& caption, int totalSteps, int start)
{
    ShowView(mMeter.Show(caption, totalSteps, start));
    if (!isVisible()) CentreOnScreen();
    show();
    raise();
    DrawBar(mMeter.Current().barShare);
}

void ProgressWindow::StepProgress(int steps, const QString& text)
{
    ShowView(mMeter.Step(steps, text));
    DrawBar(mMeter.Current().barShare);
}

void ProgressWindow::CloseProgress()
{
    QCoreApplication::processEvents();
    close();
}

void ProgressWindow::ShowView(const ProgressMeter::View& view)
{
    mCaption->setText(view.caption);
    mPercent->setText(view.percent);
    mCount->setText(view.count);
    mTimes->setText(view.times);
}

// The filled part is the share of the work done, from the left edge, over the full height.
void ProgressWindow::DrawBar(double share)
{
    mBar.fill(Qt::white);
    const int filled = static_cast<int>(std::lround(qBound(0.0, share, 1.0) * mBar.width()));
    if (filled > 0) {
        QPainter painter(&mBar);
        painter.fillRect(QRect(0, 0, filled, mBar.height()), QColor(0, 0, 255));
    }
    mPic->setPixmap(QPixmap::fromImage(mBar));
    QCoreApplication::processEvents();
}

void ProgressWindow::CentreOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

} // namespace kestrio
