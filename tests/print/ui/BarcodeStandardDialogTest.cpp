#include "TestApp.h"
#include "print/ui/BarcodeStandardDialog.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace kestrio {
namespace {

class BarcodeStandardDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mTest.Open()); }

    Params& Parameters() { return mTest.app->Parameters(); }
    QString Stored() { return Parameters().GetParam(QStringLiteral("StrBarCodeStand")); }
    void Store(const QString& value) { Parameters().SetParam(QStringLiteral("StrBarCodeStand"), value); }
    // Which options are selected, as "10", "01" or "00".
    static QString Checked(const BarcodeStandardDialog& window)
    {
        QString marks;
        for (int i = 0; i < BarcodeStandardDialog::OptionCount; ++i)
            marks += window.Op(i)->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
        return marks;
    }
    QString CheckedFor(const QString& value)
    {
        Store(value);
        BarcodeStandardDialog window(Parameters(), {});
        return Checked(window);
    }

    test::TestApp mTest;
};

TEST_F(BarcodeStandardDialogTest, WindowReadsAsDesigned)
{
    BarcodeStandardDialog window(Parameters(), {});
    EXPECT_EQ(window.windowTitle(), QStringLiteral("条码编码标准设置"));
    EXPECT_EQ(window.Op(0), window.findChild<QRadioButton*>(QStringLiteral("Op_0")));
    EXPECT_EQ(window.Op(1), window.findChild<QRadioButton*>(QStringLiteral("Op_1")));
    EXPECT_EQ(window.Op(0)->text(), QStringLiteral(" 39码"));
    EXPECT_EQ(window.Op(1)->text(), QStringLiteral(" EAN-13码"));
    EXPECT_EQ(window.OkButton()->text(), QStringLiteral("确     定"));
}

TEST_F(BarcodeStandardDialogTest, StoredStandardIsSelected)
{
    ASSERT_EQ(Stored(), QString()); // a new database has no choice yet
    {
        BarcodeStandardDialog window(Parameters(), {});
        EXPECT_EQ(Checked(window), QStringLiteral("10"));
    }
    EXPECT_EQ(CheckedFor(QString()), QStringLiteral("10"));
    EXPECT_EQ(CheckedFor(QStringLiteral("0")), QStringLiteral("10"));
    EXPECT_EQ(CheckedFor(QStringLiteral("1")), QStringLiteral("01"));
    EXPECT_EQ(CheckedFor(QStringLiteral("5")), QStringLiteral("00"));
    EXPECT_EQ(CheckedFor(QStringLiteral("-1")), QStringLiteral("00"));
    EXPECT_EQ(BarcodeStandardDialog::OptionFor(QStringLiteral("abc")), 0);
    EXPECT_EQ(BarcodeStandardDialog::OptionFor(QStringLiteral("1.5")), -1);
}

TEST_F(BarcodeStandardDialogTest, OkStoresTheChoiceAndRedrawsThePictures)
{
    int redraws = 0;
    QString storedWhenRedrawn;
    BarcodeStandardDialog window(Parameters(), [&] {
        ++redraws;
        storedWhenRedrawn = Stored();
    });
    window.show();
    QTest::mouseClick(window.Op(1), Qt::LeftButton);
    EXPECT_EQ(Checked(window), QStringLiteral("01"));
    EXPECT_EQ(redraws, 0);
    QTest::mouseClick(window.OkButton(), Qt::LeftButton);
    EXPECT_EQ(Stored(), QStringLiteral("1"));
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(storedWhenRedrawn, QStringLiteral("1"));
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(BarcodeStandardDialogTest, BackToCode39)
{
    Store(QStringLiteral("1"));
    int redraws = 0;
    BarcodeStandardDialog window(Parameters(), [&] { ++redraws; });
    window.show();
    QTest::mouseClick(window.Op(0), Qt::LeftButton);
    QTest::mouseClick(window.OkButton(), Qt::LeftButton);
    EXPECT_EQ(Stored(), QStringLiteral("0"));
    EXPECT_EQ(redraws, 1);
}

TEST_F(BarcodeStandardDialogTest, OkWithoutAChoiceStoresTwo)
{
    Store(QStringLiteral("5"));
    int redraws = 0;
    BarcodeStandardDialog window(Parameters(), [&] { ++redraws; });
    window.show();
    QTest::mouseClick(window.OkButton(), Qt::LeftButton);
    EXPECT_EQ(Stored(), QStringLiteral("2"));
    EXPECT_EQ(redraws, 1);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(BarcodeStandardDialogTest, ClosingStoresNothing)
{
    int redraws = 0;
    BarcodeStandardDialog window(Parameters(), [&] { ++redraws; });
    window.show();
    QTest::mouseClick(window.Op(1), Qt::LeftButton);
    window.close();
    EXPECT_EQ(Stored(), QString());
    EXPECT_EQ(redraws, 0);
}

} // namespace
} // namespace kestrio
