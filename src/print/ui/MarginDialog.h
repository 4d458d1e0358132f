#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

namespace kestrio {

// "输入打印页边距": the offsets by which everything printed is moved, in millimetres, as the
// texts the main window keeps for them.
class MarginDialog final : public QDialog {
    Q_OBJECT

public:
    MarginDialog(const QString& offsetX, const QString& offsetY, QWidget* parent = nullptr);

    // Opens the dialog on the two texts; after OK they hold the numbers typed, and the answer
    // is true. Cancel or closing the window changes nothing.
    static bool EditMargins(QWidget* parent, QString& offsetX, QString& offsetY);

    // The number at the start of the text (text without one is 0) in its shortest plain form:
    // "2.50" → "2.5", "-1" → "-1", "abc" → "0".
    static QString OffsetText(const QString& text);
    static double ReadOffset(const QString& text);

    // The typed texts read as numbers.
    QString OffsetX() const;
    QString OffsetY() const;

    QLineEdit* XBox() const { return mText1_0; }
    QLineEdit* YBox() const { return mText1_1; }
    QPushButton* OkButton() const { return mOk; }
    QPushButton* CancelButton() const { return mCancel; }

    static QString Caption() { return QStringLiteral("输入打印页边距"); }

private:
    QLineEdit* mText1_0 = nullptr;
    QLineEdit* mText1_1 = nullptr;
    QPushButton* mOk = nullptr;
    QPushButton* mCancel = nullptr;
};

} // namespace kestrio
