#include "ScriptedPrompter.h"
#include "designer/ui/TableGeneratorDialog.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace kestrio {
namespace {

TEST(TableGeneratorDialogTest, RefusesWhatMakesNoTableAndKeepsTheFields)
{
    ScriptedPrompter prompter;
    QList<TableGeneratorDialog::Table> made;
    TableGeneratorDialog window(prompter, [&](const TableGeneratorDialog::Table& t) {
        made << t;
        return QString();
    });
    struct Case { const char16_t* fields; bool accepted; const char16_t* message; };
    const Case cases[] = {
        {u"10,10,70,40,0,2", false, u"行数和列数必须大于0！"},
        {u"10,x,70,40,3,2", false, u"坐标必须是数字！"},
        {u"10,10,70,40,3,2", true, nullptr},
    };
    for (const Case& c : cases) {
        prompter.shown.clear();
        const QStringList fields = QString::fromUtf16(c.fields).split(QLatin1Char(','));
        for (int i = 0; i < 6; ++i) window.Field(i)->setText(fields[i]);
        EXPECT_EQ(window.Accept(), c.accepted);
        EXPECT_EQ(prompter.shown, c.message ? QStringList{QString::fromUtf16(c.message)} : QStringList());
        EXPECT_EQ(window.Field(1)->text(), fields[1]);
    }
    ASSERT_EQ(made.size(), 1);
    EXPECT_EQ(made[0].rows, 3);
    EXPECT_EQ(made[0].x1, 70);
}

} // namespace
} // namespace kestrio
