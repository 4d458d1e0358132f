// A bill counts as printed only when the spooler took it and it was stored.
#include "ScriptedDestination.h"
#include "TestApp.h"
#include "entry/HistoryRecords.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "print/BillPrinter.h"
#include "print/RecordingSurface.h"
#include "print/SpoolerQueue.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

TEST(SpoolerQueue, AcceptingJobsValue)
{
    EXPECT_EQ(SpoolerQueue::FromAcceptingValue("true"), SpoolerQueue::Answer::Accepts);
    EXPECT_EQ(SpoolerQueue::FromAcceptingValue("false"), SpoolerQueue::Answer::Refuses);
    EXPECT_EQ(SpoolerQueue::FromAcceptingValue(nullptr), SpoolerQueue::Answer::Unknown);
    EXPECT_EQ(SpoolerQueue::FromAcceptingValue("yes"), SpoolerQueue::Answer::Unknown);
}

class PrintRefusal : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mApp.OpenEmpty());
        mWs.formatName = QStringLiteral("拒绝");
        mWs.widthText = QStringLiteral("200");
        mWs.heightText = QStringLiteral("90");
        mWs.table.SetText(mWs.table.AddElementRow(ElementTable::TextBox), ElementTable::ColLbl, QStringLiteral("收款人"));
        ASSERT_TRUE(FormatStore(mApp.app->DbOp(), mApp.progress, mApp.screen).SaveFormat(mWs));
        mWs.SetBoxContent(ElementTable::kFirstRow, QStringLiteral("张三"));
    }
    int Rows() { return mApp.app->Db().ScalarNative(QStringLiteral("SELECT count(*) FROM 历史")).toInt(); }
    bool Print(int acceptedChecks, BillPrinter** used = nullptr)
    {
        test::ScriptedDestination queue(mSurface);
        queue.acceptedChecks = acceptedChecks;
        mPrinter = std::make_unique<BillPrinter>(queue, BillPrinter::EnvironmentFor(*mApp.app, mWs, 0), &mRecords,
                                                 mApp.prompter, mApp.progress);
        if (used) *used = mPrinter.get();
        // The test's boxes are small: only the spooler's answer is in question here.
        mPrinter->AllowOverflow();
        return mPrinter->PrintBill(mWs, true, true);
    }

    test::TestApp mApp;
    Workspace mWs;
    RecordingSurface mSurface;
    HistoryRecords mRecords{mApp.app->DbOp(), mApp.prompter};
    std::unique_ptr<BillPrinter> mPrinter;
};

// Refused before the job or after it was handed over: told, and nothing stored.
TEST_F(PrintRefusal, RefusedJobIsToldAndNotStored)
{
    for (const int accepted : {0, 1}) {
        mApp.prompter.shown.clear();
        EXPECT_FALSE(Print(accepted)) << accepted;
        EXPECT_EQ(mApp.prompter.shown, QStringList{BillPrinter::RefusedMessage()}) << accepted;
        EXPECT_EQ(Rows(), 0);
    }
    EXPECT_TRUE(Print(2));
    EXPECT_EQ(Rows(), 1);
}

TEST_F(PrintRefusal, PrintedButNotStoredSaysSo)
{
    ASSERT_TRUE(mApp.app->Db().ExecuteNative(QStringLiteral(
        "CREATE TEMP TRIGGER refuse BEFORE INSERT ON 历史 BEGIN SELECT RAISE(ABORT,'磁盘已满'); END")));
    BillPrinter* printer = nullptr;
    EXPECT_FALSE(Print(2, &printer));
    EXPECT_TRUE(printer->StoreFailed());
    EXPECT_EQ(printer->LastRecordNumber(), 0);
    ASSERT_EQ(mApp.prompter.shown.size(), 1);
    EXPECT_TRUE(mApp.prompter.shown.first().startsWith(HistoryRecords::PrintedNotStoredText()));
    EXPECT_EQ(Rows(), 0);
}

} // namespace
} // namespace kestrio
