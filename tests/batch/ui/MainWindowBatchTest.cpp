// The batch page inside the main window: "打印所有单据" follows the bills, HS over the canvas
// browses them, and the history page exports its grid.
#include "TestApp.h"
#include "workbench/ui/MainWindow.h"
#include "batch/ui/BatchPage.h"
#include "batch/ui/MappingDialog.h"
#include "format/Workspace.h"
#include "print/RecordingSurface.h"

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
