#pragma once

#include <QWidget>

namespace kestrio {

// Picture1: a sample box "示例" with its caption (the label text, "标签" while it is empty) drawn
// above, left of, right of or below it, as the caption will sit on the canvas.
class LabelPositionPreview final : public QWidget {
    Q_OBJECT

public:
    explicit LabelPositionPreview(QWidget* parent = nullptr);

    // 0 上方, 1 左边, 2 右边, 3 下方.
    void SetPosition(int position);
    void SetCaption(const QString& caption);
    int Position() const { return mPosition; }
    QString Caption() const;
    // Where the caption and the sample box are drawn.
    QRect CaptionRect() const;
    QRect SampleRect() const;

    QSize sizeHint() const override { return {220, 90}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int mPosition = 1;
    QString mCaption;
};

} // namespace kestrio
