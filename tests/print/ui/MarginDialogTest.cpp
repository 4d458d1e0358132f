#include "QtPrinters.h"
#include "print/ui/MarginDialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace kestrio {
namespace {

// Runs `work` on the margin dialog once EditMargins has opened it.
void WhenOpen(std::function<void(MarginDialog&)> work)
{
    QTimer::singleShot(0, [work = std::move(work)] {
        auto* dialog = qobject_cast<MarginDialog*>(QApplication::activeModalWidget());
        if (dialog) work(*dialog);
    });
}

void Retype(QLineEdit* box, const QString& text)
{
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

TEST(MarginDialogTest, OffsetsAreReadAsNumbers)
{
    EXPECT_EQ(MarginDialog::OffsetText(QStringLiteral("2.5")), QStringLiteral("2.5"));
    EXPECT_EQ(MarginDialog::OffsetText(QStringLiteral("-1")), QStringLiteral("-1"));
    EXPECT_EQ(MarginDialog::OffsetText(QStringLiteral("abc")), QStringLiteral("0"));
    EXPECT_EQ(MarginDialog::OffsetText(QString()), QStringLiteral("0"));
    EXPECT_EQ(MarginDialog::OffsetText(QStringLiteral(" 3.50毫米")), QStringLiteral("3.5"));
    EXPECT_EQ(MarginDialog::OffsetText(QStringLiteral("+4")), QStringLiteral("4"));
    EXPECT_EQ(MarginDialog::OffsetText(QStringLiteral("-0")), QStringLiteral("0"));
    EXPECT_EQ(MarginDialog::OffsetText(QStringLiteral("-.25")), QStringLiteral("-0.25"));
    EXPECT_EQ(MarginDialog::OffsetText(QStringLiteral("1e2")), QStringLiteral("100"));
    EXPECT_DOUBLE_EQ(MarginDialog::ReadOffset(QStringLiteral("2.5")), 2.5);
    EXPECT_DOUBLE_EQ(MarginDialog::ReadOffset(QStringLiteral("-1")), -1.0);
    EXPECT_DOUBLE_EQ(MarginDialog::ReadOffset(QStringLiteral("abc")), 0.0);
}

TEST(MarginDialogTest, DialogReadsAsDesigned)
{
    MarginDialog dialog(QStringLiteral("1.5"), QStringLiteral("-2"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("输入打印页边距"));
    EXPECT_EQ(dialog.XBox(), dialog.findChild<QLineEdit*>(QStringLiteral("Text1_0")));
    EXPECT_EQ(dialog.YBox(), dialog.findChild<QLineEdit*>(QStringLiteral("Text1_1")));
    EXPECT_EQ(dialog.XBox()->text(), QStringLiteral("1.5"));
    EXPECT_EQ(dialog.YBox()->text(), QStringLiteral("-2"));
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();
    EXPECT_EQ(labels, (QStringList{QStringLiteral("左右偏移(毫米)："), QStringLiteral("上下偏移(毫米)："),
                                   QStringLiteral("正数向右、向下移动，负数向左、向上移动。")}));
    EXPECT_EQ(dialog.OkButton()->text(), QStringLiteral("确定"));
    EXPECT_EQ(dialog.CancelButton()->text(), QStringLiteral("取消"));
}

TEST(MarginDialogTest, OkTakesTheTypedNumbers)
{
    QString x = QStringLiteral("1");
    QString y = QStringLiteral("2");
    QStringList presets;
    WhenOpen([&](MarginDialog& dialog) {
        presets << dialog.XBox()->text() << dialog.YBox()->text();
        Retype(dialog.XBox(), QStringLiteral("2.50"));
        Retype(dialog.YBox(), QStringLiteral("abc"));
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(MarginDialog::EditMargins(nullptr, x, y));
    EXPECT_EQ(presets, (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(x, QStringLiteral("2.5"));
    EXPECT_EQ(y, QStringLiteral("0"));
}

TEST(MarginDialogTest, EnterInAFieldIsOk)
{
    QString x = QStringLiteral("0");
    QString y = QStringLiteral("0");
    WhenOpen([](MarginDialog& dialog) {
        Retype(dialog.YBox(), QStringLiteral("-1"));
        QTest::keyClick(dialog.YBox(), Qt::Key_Return);
    });
    EXPECT_TRUE(MarginDialog::EditMargins(nullptr, x, y));
    EXPECT_EQ(x, QStringLiteral("0"));
    EXPECT_EQ(y, QStringLiteral("-1"));
}

TEST(MarginDialogTest, CancelChangesNothing)
{
    QString x = QStringLiteral("1.5");
    QString y = QStringLiteral("abc");
    bool opened = false;
    WhenOpen([&](MarginDialog& dialog) {
        opened = true;
        Retype(dialog.XBox(), QStringLiteral("7"));
        Retype(dialog.YBox(), QStringLiteral("8"));
        QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    });
    EXPECT_FALSE(MarginDialog::EditMargins(nullptr, x, y));
    EXPECT_TRUE(opened);
    EXPECT_EQ(x, QStringLiteral("1.5"));
    EXPECT_EQ(y, QStringLiteral("abc"));
}

TEST(MarginDialogTest, ClosingTheWindowChangesNothing)
{
    QString x = QStringLiteral("3");
    QString y = QStringLiteral("4");
    bool opened = false;
    WhenOpen([&](MarginDialog& dialog) {
        opened = true;
        Retype(dialog.XBox(), QStringLiteral("9"));
        dialog.close();
    });
    EXPECT_FALSE(MarginDialog::EditMargins(nullptr, x, y));
    EXPECT_TRUE(opened);
    EXPECT_EQ(x, QStringLiteral("3"));
    EXPECT_EQ(y, QStringLiteral("4"));
}

} // namespace
} // namespace kestrio
