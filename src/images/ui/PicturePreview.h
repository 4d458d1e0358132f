#pragma once

#include <QPixmap>
#include <QWidget>

class QFrame;
class QLabel;
class QScrollBar;

namespace kestrio {

// A picture shown the width of its frame, keeping its proportions; a taller one scrolls with
// the bar beside the frame, the bar running to ten steps for every frame height of picture. Without a picture the frame says "此格式暂无图片！". The frame,
// image, label and bar carry the object names "Frm", "Img", "LBL" and "VS".
class PicturePreview final : public QWidget {
    Q_OBJECT

public:
    explicit PicturePreview(QWidget* parent = nullptr);

    // Shows the picture file at `path`; an empty path or a file that is no picture shows the
    // label instead.
    void ShowPicture(const QString& path);
    bool HasPicture() const { return !mPicture.isNull(); }

    QFrame* Frame() const { return mFrm; }
    QLabel* Image() const { return mImg; }
    QLabel* NoPictureLabel() const { return mLBL; }
    QScrollBar* ScrollBar() const { return mVS; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();
    void Scroll(int value);

    QFrame* mFrm = nullptr;
    QLabel* mImg = nullptr;
    QLabel* mLBL = nullptr;
    QScrollBar* mVS = nullptr;
    QPixmap mPicture;
};

} // namespace kestrio
