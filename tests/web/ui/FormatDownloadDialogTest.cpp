// The catalogue window driven through its controls, against a server on 127.0.0.1.
#include "ScriptedServer.h"
#include "TestApp.h"
#include "format/FormatExchange.h"
#include "format/FormatStore.h"
#include "images/ui/PicturePreview.h"
#include "web/NetworkHttpClient.h"
#include "web/ui/FormatDownloadDialog.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace kestrio {
namespace {

QByteArray Picture()
{
    QImage image(40, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

class FormatDownloadDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mApp.Open());
        const QString exported = mApp.dir.filePath(QStringLiteral("a.zhq"));
        ASSERT_TRUE(FormatExchange(*mApp.app).ExportFmtFileTo(QStringLiteral("现金支票"), exported));
        QFile file(exported);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        mServer.Answer(QStringLiteral("/f/a.zhq"), file.readAll());
        mServer.Answer(QStringLiteral("/p/a.jpg"), Picture());
        mServer.Answer(QStringLiteral("/tkd/fmt.asp"), QStringLiteral("银行|建行支票|/f/a.zhq|/p/a.jpg|2024-01-05<br>"
                                                                      "物流|送货单|/f/b.zhq|/p/|2024-01-06<br>Finished")
                                                           .toUtf8());
    }

    static void WaitFor(const std::function<bool()>& done)
    {
        for (QDeadlineTimer deadline(10000); !done() && !deadline.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    static void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    test::TestApp mApp;
    test::ScriptedServer mServer;
};

TEST_F(FormatDownloadDialogTest, WithoutAnAddressTheWindowSaysHowToSetOneAndStaysOffTheNetwork)
{
    FormatDownloadDialog dialog(*mApp.app);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("可供下载的格式模板"));
    EXPECT_EQ(dialog.Status()->text(), WebCatalogue::NoAddressMessage());
    EXPECT_FALSE(dialog.Com(0)->isEnabled());
    EXPECT_FALSE(dialog.Com(1)->isEnabled());
    EXPECT_TRUE(mServer.hits.isEmpty());

    mApp.prompter.QueueInput(QStringLiteral("ftp://nowhere"));
    Click(dialog.findChild<QPushButton*>(QStringLiteral("WebAddress")));
    EXPECT_EQ(mApp.prompter.shown.last(), WebCatalogue::InvalidAddressMessage(QStringLiteral("ftp://nowhere")));
    mApp.prompter.QueueInput(QStringLiteral("127.0.0.1:") + QString::number(mServer.port));
    Click(dialog.findChild<QPushButton*>(QStringLiteral("WebAddress")));
    WaitFor([&] { return !dialog.Busy(); });
    EXPECT_EQ(dialog.Names(), QStringList({QStringLiteral("送货单"), QStringLiteral("建行支票")}));
    EXPECT_TRUE(dialog.Com(0)->isEnabled());
}

TEST_F(FormatDownloadDialogTest, ListPreviewSearchAndImport)
{
    mApp.app->Parameters().SetParam(WebCatalogue::AddressParameter(), mServer.Address());
    FormatDownloadDialog dialog(*mApp.app);
    dialog.show();
    WaitFor([&] { return !dialog.Busy(); });
    ASSERT_EQ(dialog.Names(), QStringList({QStringLiteral("送货单"), QStringLiteral("建行支票")}));
    EXPECT_FALSE(dialog.Preview()->HasPicture()); // its pPath ends in "/"
    EXPECT_TRUE(dialog.Preview()->NoPictureLabel()->isVisible());

    dialog.MSF()->setCurrentCell(1, WebCatalogue::ColName);
    EXPECT_EQ(dialog.MSF()->item(1, WebCatalogue::ColMark)->text(), QStringLiteral("√"));
    WaitFor([&] { return dialog.Preview()->HasPicture(); });
    EXPECT_TRUE(dialog.Preview()->HasPicture());
    EXPECT_TRUE(QFile::exists(QDir(mApp.app->Paths().TempFolder()).filePath(QStringLiteral("a.jpg"))));

    Click(dialog.Com(2));
    EXPECT_EQ(mApp.prompter.shown.last(), QStringLiteral("请先输入关键词！"));
    dialog.Skey()->setText(QStringLiteral("物流"));
    QTest::keyClick(dialog.Skey(), Qt::Key_Return);
    EXPECT_EQ(dialog.MSF()->currentRow(), 0);

    dialog.MSF()->setCurrentCell(1, WebCatalogue::ColName);
    mApp.prompter.QueueAsk(true); // open the imported format now
    Click(dialog.Com(0));
    WaitFor([&] { return !dialog.isVisible(); });
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(mApp.app->ChosenValue, QStringLiteral("建行支票"));
    EXPECT_TRUE(FormatStore(mApp.app->DbOp(), mApp.progress, mApp.screen).FormatExists(QStringLiteral("建行支票")));
}

TEST_F(FormatDownloadDialogTest, AListUpdateThatDoesNotAnswerCanBeCancelledOrClosedKeepingTheOldList)
{
    mApp.app->Parameters().SetParam(WebCatalogue::AddressParameter(), mServer.Address());
    ASSERT_TRUE(WebCatalogue(*mApp.app, *std::make_unique<NetworkHttpClient>())
                    .StoreCatalogue({{QStringLiteral("旧"), QStringLiteral("旧格式"), {}, {}, {}}}));
    mServer.NeverAnswer(QStringLiteral("/tkd/fmt.asp"));
    FormatDownloadDialog dialog(*mApp.app);
    dialog.show();
    EXPECT_FALSE(dialog.CancelButton()->isEnabled());
    Click(dialog.Com(1));
    EXPECT_EQ(dialog.Status()->text(), QStringLiteral("正在更新列表..."));
    WaitFor([&] { return mServer.hits.value(QStringLiteral("/tkd/fmt.asp")) == 1; });
    ASSERT_TRUE(dialog.CancelButton()->isEnabled());
    Click(dialog.CancelButton());
    WaitFor([&] { return !dialog.Busy(); });
    EXPECT_FALSE(dialog.Busy());
    EXPECT_EQ(dialog.Status()->text(), QStringLiteral("已取消更新，仍显示原有的列表。"));
    EXPECT_EQ(dialog.Names(), QStringList{QStringLiteral("旧格式")});
    EXPECT_EQ(mServer.hits.value(QStringLiteral("/tkd/fmt.asp")), 1); // no further tries

    Click(dialog.Com(1));
    ASSERT_TRUE(dialog.Busy());
    dialog.close();
    EXPECT_FALSE(dialog.Busy());
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace
} // namespace kestrio
