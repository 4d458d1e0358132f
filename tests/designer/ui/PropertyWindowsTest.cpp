// The five property windows driven through their widgets: opened from the box menu and the
// element table, a data type chosen, a non-number refused, a change saved as one undo step.
#include "TestApp.h"
#include "designer/ui/PropertyDialog.h"
#include "designer/ui/PropertyWindows.h"
#include "format/FormatDocument.h"
#include "workbench/ui/BillCanvas.h"
#include "workbench/ui/MainWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace kestrio {
namespace {

// Runs `act` on the property window once it is open: a menu may come first, so this keeps
// looking for up to five seconds.
void WhenOpen(const std::function<void(PropertyDialog&)>& act, int triesLeft = 500)
{
    QTimer::singleShot(10, [act, triesLeft] {
        auto* window = qobject_cast<PropertyDialog*>(QApplication::activeModalWidget());
        if (window) act(*window);
        else if (triesLeft > 0) WhenOpen(act, triesLeft - 1);
        else ADD_FAILURE() << "no property window opened";
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

// "设置内容框" on the box's menu, or a double click on its row of the element table.
void OpenFromBoxMenu(MainWindow& main, int row)
{
    QWidget* box = main.Canvas()->Control(main.Canvas()->ElementIndexOfRow(row));
    ASSERT_NE(box, nullptr);
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction* item = menu->findChild<QAction*>(QStringLiteral("mCtlSet"));
        ASSERT_NE(item, nullptr);
        menu->close();
        item->trigger();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(3, 3), box->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(box, &event);
}

void OpenFromElementTable(MainWindow& main, int row)
{
    main.Pages()->setCurrentIndex(3);
    auto* grid = main.findChild<QTableWidget*>(QStringLiteral("MSF_3"));
    ASSERT_NE(grid, nullptr);
    QTableWidgetItem* item = grid->item(row - ElementTable::kFirstRow, 2);
    ASSERT_NE(item, nullptr);
    grid->scrollToItem(item);
    const QRect cell = grid->visualItemRect(item);
    // The first click selects the cell; the double click that follows is the view's.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    main.Pages()->setCurrentIndex(0);
}

// The text-box window answered as a clerk does: "103｜大写金额(元)" chosen, then 确定.
void ChooseCapitalAmountAndConfirm(PropertyDialog& window)
{
    auto* types = window.findChild<QComboBox*>(QStringLiteral("CMB"));
    const int entry = types->findText(QStringLiteral("103｜大写金额(元)"));
    types->setCurrentIndex(entry);
    emit types->activated(entry);
    Click(window, "Com0");
}

TEST(PropertyWindowsTest, ADataTypeChosenInTheWindowConvertsTheBox)
{
    for (const auto open : {&OpenFromBoxMenu, &OpenFromElementTable}) {
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

        QString title;
        WhenOpen([&](PropertyDialog& window) {
            title = window.windowTitle();
            ChooseCapitalAmountAndConfirm(window);
        });
        open(main, row);
        EXPECT_EQ(title, QStringLiteral("添加/修改控件"));
        EXPECT_EQ(table.Number(row, ElementTable::ColCash), 103);

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
}

// Three boxes edited in one window: each shows its text converted by the new type, as if
// each had been left.
TEST(PropertyWindowsTest, EveryBoxEditedAtOnceIsConvertedAgain)
{
    test::TestApp app;
    ASSERT_TRUE(app.Open());
    MainWindow main(*app.app);
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    FormatDocument& document = main.Document();
    QMap<QString, int> rows;
    for (int r : document.ElementRows()) rows.insert(document.Table().Text(r, ElementTable::ColLbl), r);
    const QList<int> edited{rows.value(QStringLiteral("用途")), rows.value(QStringLiteral("密码")),
                            rows.value(QStringLiteral("付款行名称"))};
    QSet<qint64> selection;
    for (int row : edited) {
        main.OpenWorkspace().SetBoxText(row, QStringLiteral("1234.5"));
        selection.insert(document.Table().Id(row));
    }
    document.SetSelection(selection);
    WhenOpen([&](PropertyDialog& window) {
        ChooseCapitalAmountAndConfirm(window);
    });
    main.EditElementProperties(edited.first());
    for (int row : edited) {
        EXPECT_EQ(document.Table().Number(row, ElementTable::ColCash), 103) << row;
        EXPECT_EQ(main.OpenWorkspace().BoxText(row), QStringLiteral("壹仟贰佰叁拾肆元伍角整")) << row;
    }
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

TEST_F(PropertyWindowKindsTest, TheDataTypeDecidesTheCellCountAndTheFieldsItAllows)
{
    struct Case { const char16_t* entry; bool cells; const char16_t* caption; const char16_t* shown; bool alignment; bool lineSpacing; bool spacing; };
    const Case cases[] = {
        {u"103｜大写金额(元)", false, u"数据类型代码：", u"103", true, true, true},
        {u"114｜大写金额(仅数字)", true, u"大写金额位数：", u"11", false, false, true},
        {u"211｜数字(对格)", true, u"数字格数：", u"11", true, false, false},
        {u"011｜小写金额(对格 有￥)", true, u"小写金额格数：", u"11", false, false, false},
    };
    for (const Case& c : cases) {
        WhenOpen([&](PropertyDialog& window) {
            auto* types = window.findChild<QComboBox*>(QStringLiteral("CMB"));
            const int entry = types->findText(QString::fromUtf16(c.entry));
            ASSERT_GE(entry, 0);
            types->setCurrentIndex(entry);
            emit types->activated(entry);
            auto* cells = window.findChild<QLineEdit*>(QStringLiteral("CashNum"));
            EXPECT_EQ(cells->isEnabled(), c.cells);
            EXPECT_EQ(cells->text(), QString::fromUtf16(c.shown));
            EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("LCode"))->text(), QString::fromUtf16(c.caption));
            EXPECT_EQ(window.findChild<QWidget*>(QStringLiteral("OpA1"))->isEnabled(), c.alignment) << entry;
            EXPECT_EQ(window.Field(EditorModel::LineSpacing)->isEnabled(), c.lineSpacing) << entry;
            EXPECT_EQ(window.Field(EditorModel::Spacing)->isEnabled(), c.spacing) << entry;
            if (c.cells) {
                // A count above 99 becomes 11 on leaving the field; 8 digits of 114 are 114.08.
                Retype(cells, QStringLiteral("120"));
                QTest::keyClick(cells, Qt::Key_Return);
                EXPECT_EQ(cells->text(), QStringLiteral("11"));
                Retype(cells, QStringLiteral("8"));
            }
            Click(window, "Com0");
        });
        EditElementProperties(*mApp.app, mDocument, 2, nullptr);
    }
    EXPECT_NEAR(mDocument.ElementAt(2).dataType, 8, 1e-9);
    mDocument.UndoStack().undo();
    EXPECT_NEAR(mDocument.ElementAt(2).dataType, 208, 1e-9);
    mDocument.UndoStack().undo();
    EXPECT_NEAR(mDocument.ElementAt(2).dataType, 114.08, 1e-9);
}

TEST_F(PropertyWindowKindsTest, TheRelationLinesFollowTheChoicesAndWarnWhereRelatedNeverFills)
{
    mDocument.Reload([](Workspace& ws) {
        ws.table.SetText(2, ElementTable::ColLbl, QStringLiteral("收款人"));
        ws.table.SetText(3, ElementTable::ColLbl, QStringLiteral("账号"));
    });
    WhenOpen([&](PropertyDialog& window) {
        auto* line = window.findChild<QLabel*>(QStringLiteral("RelationLine0"));
        ASSERT_NE(line, nullptr);
        EXPECT_TRUE(line->isHidden()); // no relation yet
        auto* list = window.findChild<QComboBox*>(QStringLiteral("RCtl0"));
        const int entry = list->findText(QStringLiteral("000013｜账号"));
        ASSERT_GE(entry, 0);
        list->setCurrentIndex(entry);
        emit list->activated(entry);
        EXPECT_EQ(line->text(), QStringLiteral("收款人 → 账号：内容相同（按各自数据类别转换）"));
        QTest::mouseClick(window.findChild<QWidget*>(QStringLiteral("Op2_1")), Qt::LeftButton);
        EXPECT_EQ(line->text(), QStringLiteral("收款人 → 账号：内容相关（从最近一张收款人相同的单据取账号）"));
        // As a capital amount the box could never find an earlier bill.
        auto* types = window.findChild<QComboBox*>(QStringLiteral("CMB"));
        const int capital = types->findText(QStringLiteral("103｜大写金额(元)"));
        types->setCurrentIndex(capital);
        emit types->activated(capital);
        EXPECT_TRUE(line->text().contains(QStringLiteral("本框是大写金额"))) << line->text().toStdString();
        Click(window, "Com1");
    });
    EditElementProperties(*mApp.app, mDocument, 2, nullptr);
    EXPECT_EQ(mDocument.ElementAt(2).relatedTo, 0); // cancelled
}

TEST_F(PropertyWindowKindsTest, TheCustomPatternIsAskedForAndKeptAsAParameter)
{
    mApp.app->Parameters().SetParam(EditorModel::CustomTypeKey(119), QStringLiteral("yy.mm"));
    mApp.prompter.QueueInput(QStringLiteral("yyyy年mm月"));
    QString entry;
    WhenOpen([&](PropertyDialog& window) {
        auto* types = window.findChild<QComboBox*>(QStringLiteral("CMB"));
        auto* custom = window.findChild<QPushButton*>(QStringLiteral("COM3"));
        EXPECT_FALSE(custom->isEnabled());
        const int index = types->findText(QStringLiteral("119｜自定义日期：yy.mm"));
        ASSERT_GE(index, 0);
        types->setCurrentIndex(index);
        emit types->activated(index);
        QTest::mouseClick(custom, Qt::LeftButton);
        entry = types->currentText();
        Click(window, "Com0");
    });
    EditElementProperties(*mApp.app, mDocument, 2, nullptr);
    EXPECT_EQ(mApp.prompter.shown, QStringList{QStringLiteral("请输入自定义数据格式信息(类型编号119)：")});
    EXPECT_EQ(mApp.prompter.presets, QStringList{QStringLiteral("yy.mm")});
    EXPECT_EQ(entry, QStringLiteral("119｜自定义日期：yyyy年mm月"));
    EXPECT_EQ(mApp.app->Parameters().GetParam(EditorModel::CustomTypeKey(119)), QStringLiteral("yyyy年mm月"));
    EXPECT_EQ(mDocument.ElementAt(2).dataType, 119);
}

} // namespace
} // namespace kestrio
