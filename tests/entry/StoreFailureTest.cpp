// A bill the history refuses stays in the boxes: nothing typed is lost, no number is used up.
#include "TestApp.h"
#include "convert/BoxConverter.h"
#include "entry/AutoFill.h"
#include "entry/DataEntry.h"
#include "entry/HistoryRecords.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

using Col = ElementTable::Column;

TEST(StoreFailure, ARefusedBillKeepsEveryBoxAsTyped)
{
    test::TestApp t;
    ASSERT_TRUE(t.OpenEmpty());
    Workspace ws;
    ws.formatName = QStringLiteral("收据");
    const std::pair<const char*, const char*> boxes[] = {{"单号", "122"}, {"日期", "111"}, {"收款人", "0"}, {"备注", "0"}};
    for (const auto& [label, code] : boxes) {
        const int row = ws.table.AddElementRow(ElementTable::TextBox);
        ws.table.SetText(row, Col::ColLbl, QString::fromUtf8(label));
        ws.table.SetText(row, Col::ColCash, QString::fromLatin1(code));
    }
    ASSERT_TRUE(FormatStore(t.app->DbOp(), t.progress, t.screen).SaveFormat(ws));
    const QStringList typed = {QStringLiteral("NO2024-0099"), QStringLiteral("2020-01-01"), QStringLiteral("张三"),
                               QStringLiteral("坏")};
    for (int i = 0; i < typed.size(); ++i) ws.SetBoxText(ElementTable::kFirstRow + i, typed[i]);
    ASSERT_TRUE(t.app->Db().ExecuteNative(QStringLiteral(
        "CREATE TEMP TRIGGER refuse BEFORE INSERT ON 历史 WHEN NEW.Con='坏' BEGIN SELECT RAISE(ABORT,'磁盘写入失败'); END")));
    BoxConverter converter(t.clock);
    AutoFill autoFill(t.app->DbOp(), t.clock);
    DataEntry entry(converter, autoFill);
    HistoryRecords records(t.app->DbOp(), t.prompter);

    EXPECT_EQ(entry.SaveAndContinue(ws, records), -1);
    for (int i = 0; i < typed.size(); ++i) EXPECT_EQ(ws.BoxText(ElementTable::kFirstRow + i), typed[i]) << i;
    ASSERT_EQ(t.prompter.shown.size(), 1);
    EXPECT_TRUE(t.prompter.shown.first().startsWith(HistoryRecords::StoreFailedText()));
    ws.SetBoxText(ElementTable::kFirstRow + 3, QStringLiteral("好"));
    EXPECT_EQ(entry.SaveAndContinue(ws, records), 1);
    EXPECT_EQ(ws.BoxText(ElementTable::kFirstRow), QStringLiteral("NO2024-0100"));
    EXPECT_EQ(ws.BoxText(ElementTable::kFirstRow + 2), QString());
}

} // namespace
} // namespace kestrio
