// The five property windows driven through their widgets: opened from the element table, a
// data type chosen, a non-number refused, a change saved as one undo step.
#include "TestApp.h"
#include "designer/ui/PropertyDialog.h"
#include "designer/ui/PropertyWindows.h"
#include "format/FormatDocument.h"
#include "workbench/ui/BillCanvas.h"
#include "workbench/ui/MainWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace kestrio {
namespace {

// Runs `act` on the modal window once it is open.
void WhenOpen(const std::function<void(PropertyDialog&)>& act)
{
    QTimer::singleShot(0, [act] {
        auto* window = qobject_cast<PropertyDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        act(*window);
    });
}

void Retype(QLineEdit* field, const QString& text)
{
    field->selectAll();
    QTest::keyClicks(field, text);
}

void Click(PropertyDialog& window, const char* name)
{
    QTest::mouseClick(window.findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
}

TEST(PropertyWindowsTest, ADataTypeChosenFromTheElementTableConvertsTheBox)
{
    test::TestApp app;
    ASSERT_TRUE(app.Open());
    MainWindow main(*app.app);
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    const ElementTable& table = main.Document().Table();
    int row = -1;
    for (int r : main.Document().ElementRows())
        if (table.Text(r, ElementTable::ColLbl) == QStringLiteral("用途")) row = r;
    ASSERT_GT(row, 0);

    main.Pages()->setCurrentIndex(3);
    auto* grid = main.findChild<QTableWidget*>(QStringLiteral("MSF_3"));
    ASSERT_NE(grid, nullptr);
    QString title;
    WhenOpen([&](PropertyDialog& window) {
        title = window.windowTitle();
        auto* types = window.findChild<QComboBox*>(QStringLiteral("CMB"));
        const int entry = types->findText(QStringLiteral("103｜大写金额(元)"));
        types->setCurrentIndex(entry);
        emit types->activated(entry);
        Click(window, "Com0");
    });
    QTableWidgetItem* item = grid->item(row - ElementTable::kFirstRow, 2);
    ASSERT_NE(item, nullptr);
    grid->scrollToItem(item);
    const QRect cell = grid->visualItemRect(item);
    // The first click selects the cell; the double click that follows is the view's.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    EXPECT_EQ(title, QStringLiteral("添加/修改控件"));
    EXPECT_EQ(table.Number(row, ElementTable::ColCash), 103);

    main.Pages()->setCurrentIndex(0);
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    auto* box = qobject_cast<QLineEdit*>(main.Canvas()->Control(main.Canvas()->ElementIndexOfRow(row)));
    ASSERT_NE(box, nullptr);
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("1234.5"));
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_EQ(box->text(), QStringLiteral("壹仟贰佰叁拾肆元伍角整"));
    main.close();
}

// One element of each kind, the two text boxes selected together.
class PropertyWindowKindsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mApp.OpenEmpty());
        mDocument.Reload([](Workspace& ws) {
            for (int kind : {0, 0, 1, 2, 3, 4}) {
                const int row = ws.table.AddElementRow(kind);
                ws.table.SetText(row, ElementTable::ColId, QString::number(row + 10));
                ws.table.SetText(row, ElementTable::ColW, QStringLiteral("12"));
                ws.table.SetText(row, ElementTable::ColX, QStringLiteral("5"));
            }
        });
        mDocument.SetSelection({12, 13});
    }

    test::TestApp mApp;
    FormatDocument mDocument;
};

TEST_F(PropertyWindowKindsTest, EachWindowRefusesANonNumberAndSavesAChangeAsOneStep)
{
    struct Case { int row; const char16_t* title; const char* field; const char16_t* refusal; double Element::*column; };
    const Case cases[] = {
        {2, u"添加/修改控件", "TT3", u"“宽：”请输入数字！", &Element::width},
        {4, u"修改可选框属性", "TT1", u"“横向坐标：”请输入数字！", &Element::x},
        {5, u"添加/修改图像框", "TT3", u"“宽：”请输入数字！", &Element::width},
        {6, u"线条属性修改", "TT3", u"“终点X：”请输入数字！", &Element::width},
        {7, u"标签属性修改", "TT3", u"“宽：”请输入数字！", &Element::width},
    };
    for (const Case& c : cases) {
        const Element before = mDocument.ElementAt(c.row);
        const int steps = mDocument.UndoStack().count();
        mApp.prompter.shown.clear();
        QString title;
        bool keptOpen = false;
        WhenOpen([&](PropertyDialog& window) {
            title = window.windowTitle();
            QLineEdit* field = window.findChild<QLineEdit*>(QString::fromLatin1(c.field));
            Retype(field, QStringLiteral("3O"));
            Click(window, "Com0");
            keptOpen = window.isVisible() && mDocument.ElementAt(c.row) == before;
            Retype(field, QStringLiteral("30"));
            Click(window, "Com0");
        });
        EXPECT_TRUE(EditElementProperties(*mApp.app, mDocument, c.row, nullptr)) << c.row;
        EXPECT_EQ(title, QString::fromUtf16(c.title));
        EXPECT_TRUE(keptOpen) << c.row;
        EXPECT_EQ(mApp.prompter.shown, QStringList{QString::fromUtf16(c.refusal)});
        EXPECT_EQ(mDocument.ElementAt(c.row).*c.column, 30) << c.row;
        EXPECT_EQ(mDocument.UndoStack().count(), steps + 1) << c.row;
    }
    // The text box's change reached the other selected text box in the same step.
    EXPECT_EQ(mDocument.ElementAt(3).width, 30);
    mDocument.UndoStack().undo();
    mDocument.UndoStack().undo();
    mDocument.UndoStack().undo();
    mDocument.UndoStack().undo();
    mDocument.UndoStack().undo();
    EXPECT_EQ(mDocument.ElementAt(3).width, 12);
}

} // namespace
} // namespace kestrio
