// The format list window driven through its widgets offscreen, against a real library.
#include "TestApp.h"
#include "format/ui/FormatListDialog.h"
#include "format/DemoFormats.h"
#include "format/FormatExchange.h"
#include "format/FormatLibrary.h"
#include "images/BackgroundImages.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace kestrio {
namespace {

const QString kCurrent = QStringLiteral("转账支票");

// Runs `work` on the list once ChooseFormat has opened it.
void WhenOpen(std::function<void(FormatListDialog&)> work)
{
    QTimer::singleShot(0, [work = std::move(work)] {
        auto* list = qobject_cast<FormatListDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(list, nullptr);
        work(*list);
    });
}

// Chinese text cannot be typed key by key; it goes in as an input method would put it.
void Type(QLineEdit* edit, const QString& text)
{
    edit->insert(text);
}

class FormatListDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mTest.Open()); }

    AppContext& App() { return *mTest.app; }
    QStringList Sorted(QStringList names)
    {
        std::sort(names.begin(), names.end());
        return names;
    }
    int Rows(const QString& name)
    {
        return App().DbOp().OpenQuery(QStringLiteral("SELECT * FROM Fmt WHERE Fmt='") + name + QStringLiteral("'"))
            .RecordCount();
    }
    static QPoint RowPoint(const FormatListDialog& list, int row)
    {
        return list.Table()->visualItemRect(list.Table()->item(row, 3)).center();
    }
    static void ClickRow(FormatListDialog& list, int row, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(list.Table()->viewport(), Qt::LeftButton, modifiers, RowPoint(list, row));
    }
    static bool IsRed(const FormatListDialog& list, int row)
    {
        return list.Table()->item(row, 3)->foreground().color() == QColor(255, 0, 0);
    }
    static QString Mark(const FormatListDialog& list, int row) { return list.Table()->item(row, 2)->text(); }

    test::TestApp mTest;
};

TEST_F(FormatListDialogTest, OpensWithTheLibraryAndTheCurrentFormatMarked)
{
    FormatListDialog list(App(), kCurrent);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_EQ(list.windowTitle(), QStringLiteral("选择/管理格式模板"));
    EXPECT_EQ(list.Table(), list.findChild<QTableWidget*>(QStringLiteral("MSF")));
    EXPECT_EQ(list.KeywordBox(), list.findChild<QComboBox*>(QStringLiteral("Skey")));
    const QStringList captions{QStringLiteral("选 择"), QStringLiteral("退 出"), QStringLiteral("下载更多…"),
                               QStringLiteral("导 入"), QStringLiteral("删 除"), QStringLiteral("导 出"),
                               QStringLiteral("搜索")};
    for (int i = 0; i < FormatListDialog::ButtonCount; ++i) {
        EXPECT_EQ(list.Button(i), list.findChild<QPushButton*>(QStringLiteral("Com_%1").arg(i)));
        EXPECT_EQ(list.Button(i)->text(), captions[i]);
    }
    QStringList headers;
    for (int c = 0; c < list.Table()->columnCount(); ++c) headers << list.Table()->horizontalHeaderItem(c)->text();
    EXPECT_EQ(headers, (QStringList{QStringLiteral("ID"), QStringLiteral("序号"), QStringLiteral("选择"),
                                    QStringLiteral("格式名称"), QStringLiteral("宽(毫米)"), QStringLiteral("高(毫米)")}));

    EXPECT_EQ(list.Names(), Sorted(DemoFormats::Names()));
    const int current = list.RowOf(kCurrent);
    EXPECT_EQ(list.CurrentName(), kCurrent);
    EXPECT_EQ(Mark(list, current), QStringLiteral("√"));
    for (int r = 0; r < list.Table()->rowCount(); ++r) {
        EXPECT_EQ(IsRed(list, r), r == current);
        if (r != current) EXPECT_EQ(Mark(list, r), QString());
        EXPECT_EQ(list.Table()->item(r, 1)->text(), QString::number(r + 1));
    }
    // The demo formats come with their backgrounds: the preview shows it across the frame.
    EXPECT_FALSE(list.NoPictureLabel()->isVisible());
    EXPECT_TRUE(list.PreviewImage()->isVisible());
    EXPECT_EQ(list.PreviewImage()->width(), list.PreviewFrame()->width());

    // Another row takes the mark; a format without a picture says so.
    QFile::remove(BackgroundImages::BackgroundPath(mTest.Folder(), QStringLiteral("送货单")));
    const int delivery = list.RowOf(QStringLiteral("送货单"));
    ClickRow(list, delivery);
    EXPECT_EQ(list.CurrentName(), QStringLiteral("送货单"));
    EXPECT_EQ(Mark(list, delivery), QStringLiteral("√"));
    EXPECT_EQ(Mark(list, current), QString());
    EXPECT_TRUE(IsRed(list, current));
    EXPECT_TRUE(list.NoPictureLabel()->isVisible());
    EXPECT_EQ(list.NoPictureLabel()->text(), QStringLiteral("此格式暂无图片！"));
    EXPECT_FALSE(list.ScrollBar()->isEnabled());
}

TEST_F(FormatListDialogTest, ATallBackgroundScrollsAndAShortOneDoesNot)
{
    QImage tall(100, 1000, QImage::Format_RGB32);
    tall.fill(Qt::white);
    ASSERT_TRUE(tall.save(BackgroundImages::BackgroundPath(mTest.Folder(), QStringLiteral("送货单")), "JPG"));
    QImage wide(1000, 100, QImage::Format_RGB32);
    wide.fill(Qt::white);
    ASSERT_TRUE(wide.save(BackgroundImages::BackgroundPath(mTest.Folder(), QStringLiteral("进账单")), "JPG"));

    FormatListDialog list(App(), kCurrent);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    ClickRow(list, list.RowOf(QStringLiteral("送货单")));
    const int width = list.PreviewFrame()->width(), height = list.PreviewFrame()->height();
    const int imageHeight = static_cast<int>(std::nearbyint(10.0 * width));
    EXPECT_EQ(list.PreviewImage()->height(), imageHeight);
    ASSERT_TRUE(list.ScrollBar()->isEnabled());
    EXPECT_EQ(list.ScrollBar()->value(), 0);
    EXPECT_EQ(list.ScrollBar()->maximum(), static_cast<int>(std::nearbyint(double(imageHeight) / height * 10)));
    EXPECT_EQ(list.ScrollBar()->singleStep(), 1);
    EXPECT_EQ(list.ScrollBar()->pageStep(), 10);
    list.ScrollBar()->setValue(list.ScrollBar()->maximum());
    EXPECT_EQ(list.PreviewImage()->y(), height - imageHeight);

    ClickRow(list, list.RowOf(QStringLiteral("进账单")));
    EXPECT_FALSE(list.ScrollBar()->isEnabled());
    EXPECT_EQ(list.PreviewImage()->y(), 0);
    EXPECT_EQ(list.PreviewImage()->height(), static_cast<int>(std::nearbyint(width / 10.0)));
}

TEST_F(FormatListDialogTest, DoubleClickChoosesTheFormat)
{
    WhenOpen([](FormatListDialog& list) {
        const int row = list.RowOf(QStringLiteral("进账单"));
        QTest::mouseClick(list.Table()->viewport(), Qt::LeftButton, {}, RowPoint(list, row));
        QTest::mouseDClick(list.Table()->viewport(), Qt::LeftButton, {}, RowPoint(list, row));
    });
    EXPECT_EQ(FormatListDialog::ChooseFormat(App(), nullptr, false, kCurrent), QStringLiteral("进账单"));
    EXPECT_EQ(App().ChosenValue, QStringLiteral("进账单"));
}

TEST_F(FormatListDialogTest, OkChoosesAndLeavingKeepsTheCurrentFormat)
{
    WhenOpen([](FormatListDialog& list) {
        QTest::mouseClick(list.Table()->viewport(), Qt::LeftButton, {}, RowPoint(list, list.RowOf(QStringLiteral("送货单"))));
        QTest::mouseClick(list.Button(0), Qt::LeftButton);
    });
    EXPECT_EQ(FormatListDialog::ChooseFormat(App(), nullptr, false, kCurrent), QStringLiteral("送货单"));

    // "退 出" answers with the current format: nothing to do unless forced.
    WhenOpen([](FormatListDialog& list) { QTest::mouseClick(list.Button(1), Qt::LeftButton); });
    EXPECT_EQ(FormatListDialog::ChooseFormat(App(), nullptr, false, kCurrent), QString());
    EXPECT_EQ(App().ChosenValue, kCurrent);
    WhenOpen([](FormatListDialog& list) { QTest::mouseClick(list.Button(1), Qt::LeftButton); });
    EXPECT_EQ(FormatListDialog::ChooseFormat(App(), nullptr, true, kCurrent), kCurrent);

    // OK on the current format's own row chooses nothing new either.
    WhenOpen([](FormatListDialog& list) { QTest::mouseClick(list.Button(0), Qt::LeftButton); });
    EXPECT_EQ(FormatListDialog::ChooseFormat(App(), nullptr, false, kCurrent), QString());

    // Closing the window is cancel.
    WhenOpen([](FormatListDialog& list) { list.close(); });
    EXPECT_EQ(FormatListDialog::ChooseFormat(App(), nullptr, false, kCurrent), QString());
    EXPECT_EQ(App().ChosenValue, QString());
}

TEST_F(FormatListDialogTest, SearchFindsTheNextNameAndWraps)
{
    FormatListDialog list(App(), kCurrent);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    ClickRow(list, 0);
    QLineEdit* edit = list.KeywordBox()->lineEdit();
    Type(edit, QStringLiteral("单"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(list.isVisible()); // Enter searches, it does not close the window
    EXPECT_EQ(list.CurrentName(), QStringLiteral("进账单"));
    QTest::mouseClick(list.Button(6), Qt::LeftButton);
    EXPECT_EQ(list.CurrentName(), QStringLiteral("送货单"));
    QTest::keyClick(edit, Qt::Key_Enter);
    EXPECT_EQ(list.CurrentName(), QStringLiteral("进账单"));
    EXPECT_EQ(Mark(list, list.RowOf(QStringLiteral("进账单"))), QStringLiteral("√"));

    // Found only in the current row: the search goes round and stays there.
    edit->clear();
    Type(edit, QStringLiteral("送货"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(list.CurrentName(), QStringLiteral("送货单"));

    // Nothing found: nothing changes and nothing is said.
    edit->clear();
    Type(edit, QStringLiteral("工资"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(list.CurrentName(), QStringLiteral("送货单"));
    EXPECT_TRUE(mTest.prompter.shown.isEmpty());

    edit->clear();
    QTest::mouseClick(list.Button(6), Qt::LeftButton);
    EXPECT_EQ(mTest.prompter.shown, QStringList{QStringLiteral("请先输入关键词！")});
}

TEST_F(FormatListDialogTest, KeywordsAndPlaceAreKeptAndEscClearsTheList)
{
    Params& params = App().Parameters();
    params.SetParam(QStringLiteral("格式查找"), QStringLiteral("支票||单"));
    {
        FormatListDialog list(App(), kCurrent);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
        EXPECT_EQ(list.KeywordBox()->count(), 2);
        EXPECT_EQ(list.KeywordBox()->currentText(), QStringLiteral("支票"));
        list.KeywordBox()->lineEdit()->clear();
        Type(list.KeywordBox()->lineEdit(), QStringLiteral("现金"));
        list.move(40, 30);
        QTest::mouseClick(list.Button(1), Qt::LeftButton);
    }
    EXPECT_EQ(params.GetParam(QStringLiteral("格式查找")), QStringLiteral("现金||支票||单"));
    EXPECT_FALSE(params.GetParam(QStringLiteral("格式模板列表窗口参数：")).isEmpty());

    FormatListDialog list(App(), kCurrent);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_EQ(list.KeywordBox()->currentText(), QStringLiteral("现金"));
    // Esc asks first; No keeps the list.
    QTest::keyClick(list.KeywordBox()->lineEdit(), Qt::Key_Escape);
    EXPECT_EQ(mTest.prompter.shown, QStringList{QStringLiteral("您要清除搜索关键词列表？")});
    EXPECT_TRUE(list.isVisible());
    EXPECT_EQ(list.KeywordBox()->count(), 3);
    mTest.prompter.QueueAsk(true);
    QTest::keyClick(list.KeywordBox()->lineEdit(), Qt::Key_Escape);
    EXPECT_EQ(list.KeywordBox()->count(), 0);
    EXPECT_EQ(list.KeywordBox()->currentText(), QString());
    EXPECT_EQ(params.GetParam(QStringLiteral("格式查找")), QString());
    EXPECT_TRUE(list.isVisible());
}

TEST_F(FormatListDialogTest, DeletesTwoSelectedRows)
{
    FormatListDialog list(App(), kCurrent);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const int first = list.RowOf(QStringLiteral("进账单"));
    const int last = list.RowOf(QStringLiteral("送货单"));
    ASSERT_EQ(last, first + 1);
    ClickRow(list, first);
    ClickRow(list, last, Qt::ShiftModifier);
    mTest.prompter.QueueAsk(true);
    mTest.prompter.QueueAsk(true);
    QTest::mouseClick(list.Button(4), Qt::LeftButton);

    EXPECT_EQ(mTest.prompter.shown,
              (QStringList{QStringLiteral("您确定要删除格式：“送货单”？"), QStringLiteral("您确定要删除格式：“进账单”？"),
                           QStringLiteral("删除完成！")}));
    EXPECT_EQ(list.Names(), (QStringList{QStringLiteral("现金支票"), kCurrent}));
    EXPECT_EQ(Rows(QStringLiteral("进账单")), 0);
    EXPECT_EQ(Rows(QStringLiteral("送货单")), 0);
    EXPECT_EQ(FormatLibrary(App()).FormatNames(), list.Names());
    // The current row goes back to the last row; the current format is red again.
    EXPECT_EQ(list.Table()->currentRow(), 1);
    EXPECT_TRUE(list.Table()->isEnabled());
    EXPECT_TRUE(IsRed(list, list.RowOf(kCurrent)));
    EXPECT_EQ(Mark(list, 1), QStringLiteral("√"));
    EXPECT_EQ(App().ChosenValue, QString());
}

TEST_F(FormatListDialogTest, DeletingThreeRowsKeepsTheCurrentFormatInTheMiddle)
{
    FormatListDialog list(App(), kCurrent);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    ASSERT_EQ(list.Names(), (QStringList{QStringLiteral("现金支票"), kCurrent, QStringLiteral("进账单"),
                                         QStringLiteral("送货单")}));
    ClickRow(list, 0);
    ClickRow(list, 2, Qt::ShiftModifier);
    mTest.prompter.QueueAsk(true);
    mTest.prompter.QueueAsk(true);
    QTest::mouseClick(list.Button(4), Qt::LeftButton);
    EXPECT_EQ(mTest.prompter.shown,
              (QStringList{QStringLiteral("您确定要删除格式：“进账单”？"), QStringLiteral("此格式为当前格式，不允许删除！"),
                           QStringLiteral("您确定要删除格式：“现金支票”？"), QStringLiteral("删除完成！")}));
    EXPECT_EQ(list.Names(), (QStringList{kCurrent, QStringLiteral("送货单")}));
    EXPECT_GT(Rows(kCurrent), 1);
    EXPECT_TRUE(IsRed(list, 0));
    EXPECT_FALSE(IsRed(list, 1));
}

TEST_F(FormatListDialogTest, DeleteAnsweredNoKeepsTheRow)
{
    FormatListDialog list(App(), kCurrent);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    ClickRow(list, list.RowOf(QStringLiteral("送货单")));
    QTest::mouseClick(list.Button(4), Qt::LeftButton);
    EXPECT_EQ(mTest.prompter.shown,
              (QStringList{QStringLiteral("您确定要删除格式：“送货单”？"), QStringLiteral("删除完成！")}));
    EXPECT_EQ(list.Names().size(), 4);
    EXPECT_EQ(list.CurrentName(), QStringLiteral("送货单"));
}

TEST(FmtListEmptyTest, AnEmptyLibraryOpensAndChoosesNothing)
{
    test::TestApp app;
    ASSERT_TRUE(app.OpenEmpty());
    FormatListDialog list(*app.app, QString());
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_EQ(list.Table()->rowCount(), 0);
    EXPECT_TRUE(list.NoPictureLabel()->isVisible());
    QTest::mouseClick(list.Button(4), Qt::LeftButton);
    EXPECT_EQ(app.prompter.shown, QStringList{QStringLiteral("删除完成！")});
    QTest::mouseClick(list.Button(5), Qt::LeftButton);
    QTest::mouseClick(list.Button(0), Qt::LeftButton);
    EXPECT_FALSE(list.isVisible());
    EXPECT_EQ(app.app->ChosenValue, QString());
}

TEST_F(FormatListDialogTest, ImportUnderAClashingNameAsksForAnother)
{
    // A file named after a format the library already has.
    const QString file = mTest.dir.filePath(QStringLiteral("送货单.zhq"));
    ASSERT_TRUE(FormatExchange(App()).ExportFmtFileTo(QStringLiteral("进账单"), file));
    mTest.prompter.shown.clear();

    FormatListDialog list(App(), kCurrent);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    mTest.prompter.QueueFile(file);
    mTest.prompter.QueueInput(QStringLiteral("  送货单二 "));
    QTest::mouseClick(list.Button(3), Qt::LeftButton); // opening it at once: No
    ASSERT_TRUE(mTest.prompter.shown.contains(QStringLiteral("格式：“送货单”已存在，请另取格式名！")));
    EXPECT_EQ(mTest.prompter.shown.last(), QStringLiteral("格式“送货单二”导入成功,立即调用此格式？"));
    EXPECT_TRUE(list.isVisible());
    EXPECT_EQ(list.Names(), (QStringList{QStringLiteral("现金支票"), kCurrent, QStringLiteral("进账单"),
                                         QStringLiteral("送货单"), QStringLiteral("送货单二")}));
    EXPECT_EQ(list.CurrentName(), QStringLiteral("送货单二"));
    EXPECT_TRUE(IsRed(list, list.RowOf(kCurrent)));
    EXPECT_EQ(Rows(QStringLiteral("送货单二")), Rows(QStringLiteral("进账单")));
    EXPECT_TRUE(list.PreviewImage()->isVisible()); // its picture came along

    // A clash answered with nothing stores nothing.
    mTest.prompter.QueueFile(file);
    mTest.prompter.QueueInput(QString());
    QTest::mouseClick(list.Button(3), Qt::LeftButton);
    EXPECT_EQ(list.Names().size(), 5);
}

TEST_F(FormatListDialogTest, ImportOpenedAtOnceIsTheListsAnswer)
{
    const QString file = mTest.dir.filePath(QStringLiteral("工资单.zhq"));
    ASSERT_TRUE(FormatExchange(App()).ExportFmtFileTo(QStringLiteral("送货单"), file));
    mTest.prompter.QueueFile(file);
    mTest.prompter.QueueAsk(true);
    WhenOpen([](FormatListDialog& list) { QTest::mouseClick(list.Button(3), Qt::LeftButton); });
    EXPECT_EQ(FormatListDialog::ChooseFormat(App(), nullptr, false, kCurrent), QStringLiteral("工资单"));
    EXPECT_EQ(Rows(QStringLiteral("工资单")), Rows(QStringLiteral("送货单")));
}

TEST_F(FormatListDialogTest, ExportWritesTheFormatInTheCurrentRow)
{
    FormatListDialog list(App(), kCurrent);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    ClickRow(list, list.RowOf(QStringLiteral("进账单")));
    const QString file = mTest.dir.filePath(QStringLiteral("out"));
    mTest.prompter.QueueFile(file);
    QTest::mouseClick(list.Button(5), Qt::LeftButton);
    EXPECT_TRUE(QFile::exists(file + QStringLiteral(".zhq")));
    EXPECT_TRUE(QFile::exists(file + QStringLiteral(".jpg")));
    EXPECT_EQ(mTest.prompter.shown.last(), QStringLiteral("格式：“进账单”导出完成！"));
    EXPECT_TRUE(list.isVisible());
    EXPECT_EQ(App().ChosenValue, QString());
}

} // namespace
} // namespace kestrio
