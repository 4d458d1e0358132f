#include "PicturePreview.h"

#include "images/BackgroundCommands.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace kestrio {

PicturePreview::PicturePreview(QWidget* parent) : QWidget(parent)
{
    mFrm = new QFrame(this);
    mFrm->setObjectName(QStringLiteral("Frm"));
    mFrm->setFrameShape(QFrame::StyledPanel);
    mFrm->setMinimumSize(260, 200);
    mFrm->installEventFilter(this);
    mImg = new QLabel(mFrm);
    mImg->setObjectName(QStringLiteral("Img"));
    mImg->setScaledContents(true);
    mLBL = new QLabel(BackgroundCommands::NoPictureLabel(), mFrm);
    mLBL->setObjectName(QStringLiteral("LBL"));
    mLBL->setAlignment(Qt::AlignCenter);
    mVS = new QScrollBar(Qt::Vertical, this);
    mVS->setObjectName(QStringLiteral("VS"));
    mVS->setEnabled(false);
    connect(mVS, &QScrollBar::valueChanged, this, &PicturePreview::Scroll);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(mFrm, 1);
    layout->addWidget(mVS);
    ShowPicture(QString());
}

void PicturePreview::ShowPicture(const QString& path)
{
    mPicture = path.isEmpty() ? QPixmap() : QPixmap(path);
    mImg->setPixmap(mPicture);
    mLBL->setVisible(mPicture.isNull());
    mImg->setVisible(!mPicture.isNull());
    Place();
}

void PicturePreview::Place()
{
    const int width = mFrm->width(), height = mFrm->height();
    mLBL->setGeometry(0, 0, width, height);
    const QSignalBlocker block(mVS);
    mVS->setValue(0);
    if (mPicture.isNull() || mPicture.width() == 0) {
        mImg->setGeometry(0, 0, width, height);
        mVS->setEnabled(false);
        return;
    }
    const BackgroundCommands::PreviewFit fit = BackgroundCommands::FitPreview(mPicture.size(), width, height);
    mImg->setGeometry(0, 0, width, static_cast<int>(std::nearbyint(fit.imageHeight)));
    mVS->setEnabled(fit.scrollEnabled);
    if (!fit.scrollEnabled) return;
    mVS->setRange(0, fit.scrollMax);
    mVS->setSingleStep(fit.smallChange);
    mVS->setPageStep(fit.largeChange);
}

void PicturePreview::Scroll(int value)
{
    if (mPicture.isNull() || mVS->maximum() <= 0) return;
    const int hidden = std::max(0, mImg->height() - mFrm->height());
    mImg->move(0, -static_cast<int>(std::nearbyint(static_cast<double>(hidden) * value / mVS->maximum())));
}

bool PicturePreview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mFrm && event->type() == QEvent::Resize) Place();
    return QWidget::eventFilter(watched, event);
}

} // namespace kestrio
