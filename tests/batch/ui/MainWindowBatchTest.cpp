// The batch page inside the main window: "打印所有单据" follows the bills, HS over the canvas
// browses them, and the history page exports its grid.
#include "TestApp.h"
#include "workbench/ui/MainWindow.h"
#include "batch/ui/BatchPage.h"
#include "batch/ui/MappingDialog.h"
#include "format/Workspace.h"
#include "print/RecordingSurface.h"
#include "batch/BatchPrintJob.h"
#include "ScriptedDestination.h"

#include <QTableView>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace kestrio;

TEST(MainWindowBatchTest, PrintAllFollowsTheBillsAndHistoryExports)
{
    test::TestApp t;
    ASSERT_TRUE(t.Open());
    MainWindow main(*t.app);
    main.show();
    RecordingSurface surface;
    main.SetDestinationFactory([&surface] { return std::make_unique<FixedDestination>(surface); });
    QAction* printAll = main.findChild<QAction*>(u"mPrintAllBills"_qs);
    auto* hs = main.findChild<QScrollBar*>(u"HS"_qs);
    ASSERT_TRUE(printAll && hs);
    EXPECT_FALSE(printAll->isEnabled());

    QFile csv(QDir(t.dir.path()).filePath(u"b.csv"_qs));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("payee\r\nA\r\nB\r\n");
    csv.close();
    main.Batch()->SetMappingRunner([](MappingDialog& dialog) {
        for (int row = 0; row < dialog.Mapping()->rowCount(); ++row)
            if (dialog.Mapping()->item(row, MappingDialog::ColCaption)->text() == u"收款人"_qs)
                dialog.Mapping()->item(row, MappingDialog::ColExpression)->setText(u"A"_qs);
        return dialog.Import();
    });
    ASSERT_TRUE(main.Batch()->ImportFile(csv.fileName()));
    EXPECT_TRUE(printAll->isEnabled());
    EXPECT_EQ(hs->maximum(), 2);
    EXPECT_TRUE(hs->isEnabled());

    // Cheques without an amount: asked about first (No by default), printed when agreed.
    printAll->trigger();
    EXPECT_TRUE(surface.calls().isEmpty());
    t.prompter.QueueAsk(true);
    printAll->trigger();
    EXPECT_EQ(surface.calls().filter(u"newPage"_qs).size(), 2);

    const QString out = QDir(t.dir.path()).filePath(u"history.csv"_qs);
    t.prompter.QueueFile(out);
    QTest::mouseClick(main.findChild<QPushButton*>(u"Com_23"_qs), Qt::LeftButton);
    QFile exported(out);
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = exported.readAll().split('\n');
    EXPECT_EQ(lines.size(), 4); // header, two bills, the end of the last line
    EXPECT_TRUE(lines[1].startsWith("2\t,")) << lines[1].toStdString(); // newest first
}

namespace {

// Two cheques imported into the main window's batch page, payee and amount mapped.
void ImportTwoCheques(test::TestApp& t, MainWindow& main)
{
    QFile csv(QDir(t.dir.path()).filePath(u"c.csv"_qs));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("payee,amount\r\nA,12.5\r\nB,30\r\n");
    csv.close();
    main.Batch()->SetMappingRunner([](MappingDialog& dialog) {
        for (int row = 0; row < dialog.Mapping()->rowCount(); ++row) {
            const QString caption = dialog.Mapping()->item(row, MappingDialog::ColCaption)->text();
            if (caption == u"收款人"_qs) dialog.Mapping()->item(row, MappingDialog::ColExpression)->setText(u"A"_qs);
            if (caption == u"小写金额"_qs) dialog.Mapping()->item(row, MappingDialog::ColExpression)->setText(u"B"_qs);
        }
        return dialog.Import();
    });
    ASSERT_TRUE(main.Batch()->ImportFile(csv.fileName()));
    ASSERT_EQ(main.Batch()->Batch().BillCount(), 2);
}

qint64 StoredCheques(test::TestApp& t)
{
    return t.app->Db()
        .ScalarNative(u"SELECT COUNT(DISTINCT ID) FROM 历史 WHERE Fmt=?"_qs, {u"转账支票"_qs})
        .toLongLong();
}

} // namespace

TEST(MainWindowBatchTest, AnotherFormatStartsWithAnEmptyBatchPage)
{
    test::TestApp t;
    ASSERT_TRUE(t.Open());
    MainWindow main(*t.app);
    main.show();
    ImportTwoCheques(t, main);
    QAction* printAll = main.findChild<QAction*>(u"mPrintAllBills"_qs);
    ASSERT_TRUE(printAll->isEnabled());

    ASSERT_TRUE(main.ChooseFormat(u"进账单"_qs, true));
    EXPECT_EQ(main.Batch()->Batch().BillCount(), 0);
    EXPECT_EQ(main.Batch()->View()->model()->rowCount(), 0);
    EXPECT_FALSE(printAll->isEnabled());
    EXPECT_FALSE(main.findChild<QScrollBar*>(u"HS"_qs)->isEnabled());
}

TEST(MainWindowBatchTest, ACancelledPrinterChoicePrintsAndStoresNothingAndSaysSo)
{
    test::TestApp t;
    ASSERT_TRUE(t.Open());
    MainWindow main(*t.app);
    main.show();
    RecordingSurface surface;
    bool confirms = false;
    main.SetDestinationFactory([&] {
        auto destination = std::make_unique<test::ScriptedDestination>(surface);
        destination->confirms = confirms;
        return destination;
    });
    ImportTwoCheques(t, main);
    const qint64 before = StoredCheques(t);
    main.findChild<QAction*>(u"mPrintAllBills"_qs)->trigger();
    EXPECT_TRUE(surface.calls().isEmpty()) << surface.calls().join(u'|').toStdString();
    EXPECT_EQ(StoredCheques(t), before);
    ASSERT_FALSE(t.prompter.shown.isEmpty());
    EXPECT_EQ(t.prompter.shown.last(), BatchPrintJob::CancelledMessage());
    // No progress window was made before the printer was chosen.
    EXPECT_EQ(main.findChild<QWidget*>(u"BatchProgress"_qs), nullptr);

    confirms = true;
    main.findChild<QAction*>(u"mPrintAllBills"_qs)->trigger();
    EXPECT_EQ(surface.calls().filter(u"newPage"_qs).size(), 2);
    EXPECT_EQ(StoredCheques(t), before + 2);
}
