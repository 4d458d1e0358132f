// The catalogue: fetched from a server on 127.0.0.1, kept in 网站格式, searched, and its
// formats downloaded and imported.
#include "ScriptedServer.h"
#include "TestApp.h"
#include "format/FormatExchange.h"
#include "format/FormatLibrary.h"
#include "format/FormatStore.h"
#include "format/Grid.h"
#include "images/BackgroundImages.h"
#include "web/NetworkHttpClient.h"
#include "web/UpdateCheck.h"
#include "web/WebCatalogue.h"

#include <QFile>
#include <gtest/gtest.h>

namespace kestrio {
namespace {

using namespace std::chrono_literals;

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class WebCatalogueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mApp.Open());
        mApp.app->Parameters().SetParam(WebCatalogue::AddressParameter(), mServer.Address());
        mCatalogue.SetTimeLimit(5s);
    }

    WebText::TextResult Update()
    {
        return Await<WebText::TextResult>([&](auto done) { mCatalogue.UpdateCatalogue(std::move(done)); });
    }

    // Category, name, picture path and date of every data row of the grid.
    QStringList Rows()
    {
        Grid grid;
        mCatalogue.FillCatalogueGrid(grid);
        QStringList rows;
        for (int r = grid.FixedRows(); r < grid.RowCount(); ++r)
            rows << QStringList{grid.Text(r, WebCatalogue::ColClas), grid.Text(r, WebCatalogue::ColName),
                                grid.Text(r, WebCatalogue::ColFormatPath), grid.Text(r, WebCatalogue::ColDat)}
                        .join(QLatin1Char('|'));
        return rows;
    }

    test::TestApp mApp;
    test::ScriptedServer mServer;
    NetworkHttpClient mHttp;
    WebCatalogue mCatalogue{*mApp.app, mHttp};
};

TEST_F(WebCatalogueTest, OnlyFiveFieldRecordsAreKeptAndTheTrailingPieceIsIgnored)
{
    mServer.Answer(QStringLiteral("/tkd/fmt.asp"),
                   QStringLiteral("银行|建行支票|/f/a.zhq|/p/a.jpg|2024/1/5<br>少|一|二|三<br>a|b|c|d|e<+>Finished")
                       .toUtf8());
    const WebText::TextResult result = Update();
    EXPECT_TRUE(result.ok()) << result.reason.toStdString();
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("银行|建行支票|/f/a.zhq|2024.01.05")});
    EXPECT_EQ(mServer.queries, QStringList{QStringLiteral("key=支票&Time=09:30:00")});
}

TEST_F(WebCatalogueTest, AServerWithoutTheMarkerIsTriedFiveTimesAndTheOldListKept)
{
    ASSERT_TRUE(mCatalogue.StoreCatalogue({{QStringLiteral("旧"), QStringLiteral("旧格式"), QStringLiteral("/o.zhq"),
                                            QStringLiteral("/o.jpg"), QDate(2020, 2, 3)}}));
    mServer.Answer(QStringLiteral("/tkd/fmt.asp"), "x|y|/z.zhq|/w.jpg|2024-1-1<br>Finis");
    const WebText::TextResult result = Update();
    EXPECT_EQ(result.error, QStringLiteral("网络错误！"));
    EXPECT_EQ(mServer.hits.value(QStringLiteral("/tkd/fmt.asp")), 5);
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("旧|旧格式|/o.zhq|2020.02.03")});
}

TEST_F(WebCatalogueTest, ANameWithSlashOrColonIsDownloadedAndImportedUnderItsSafeName)
{
    const QString exported = mApp.dir.filePath(QStringLiteral("源.zhq"));
    ASSERT_TRUE(FormatExchange(*mApp.app).ExportFmtFileTo(QStringLiteral("现金支票"), exported));
    mServer.Answer(QStringLiteral("/f/x.zhq"), ReadBytes(exported));
    mServer.Answer(QStringLiteral("/p/x.jpg"), "picture bytes");
    const WebCatalogue::Entry entry{QStringLiteral("银行"), QStringLiteral("工/资:单"), QStringLiteral("/f/x.zhq"),
                                    QStringLiteral("/p/x.jpg"), {}};
    const QString path = Await<QString>([&](auto done) { mCatalogue.DownloadFormat(entry, std::move(done)); });
    EXPECT_EQ(path, QDir(mApp.app->Paths().TempFolder()).filePath(QStringLiteral("工4资6单.zhq")));

    const FormatExchange::ImportResult imported = FormatExchange(*mApp.app).ImportFmtFileAs(path);
    EXPECT_TRUE(imported.stored);
    EXPECT_EQ(imported.name, QStringLiteral("工4资6单"));
    EXPECT_TRUE(FormatStore(mApp.app->DbOp(), mApp.progress, mApp.screen).FormatExists(QStringLiteral("工4资6单")));
    EXPECT_EQ(ReadBytes(BackgroundImages::BackgroundPath(mApp.Folder(), QStringLiteral("工4资6单"))),
              QByteArray("picture bytes"));
}

TEST_F(WebCatalogueTest, AFailedFormatDownloadIsToldAndLeavesNoFile)
{
    const WebCatalogue::Entry entry{{}, QStringLiteral("建行支票"), QStringLiteral("/f/gone.zhq"), QStringLiteral("/p/gone.jpg"), {}};
    const QString path = Await<QString>([&](auto done) { mCatalogue.DownloadFormat(entry, std::move(done)); });
    EXPECT_EQ(path, QString());
    const QString expected = QDir(mApp.app->Paths().TempFolder()).filePath(QStringLiteral("建行支票.zhq"));
    EXPECT_EQ(mApp.prompter.shown, QStringList{QStringLiteral("无法打开下载文档：\r\n") + expected +
                                               QStringLiteral("\r\n服务器答复404 Not Found")});
    EXPECT_EQ(QDir(mApp.app->Paths().TempFolder()).entryList(QDir::Files), QStringList());
}

TEST_F(WebCatalogueTest, NamesThatCannotNameAFileOfTheirOwnGiveNoFile)
{
    const struct {
        const char* pPath;
        const char* file; // empty: no preview
    } previews[] = {{"/p/x.jpg", "x.jpg"}, {"/p/", ""}, {"", ""}, {"/p/..", ""}, {"/p/.", ""}, {"a\\b:c.jpg", "a5b6c.jpg"}};
    for (const auto& c : previews) {
        const QString expected = *c.file ? QDir(mApp.app->Paths().TempFolder()).filePath(QString::fromUtf8(c.file)) : QString();
        EXPECT_EQ(mCatalogue.PreviewPath(QString::fromUtf8(c.pPath)), expected) << c.pPath;
    }
    const QString done = Await<QString>([&](auto back) {
        mCatalogue.DownloadFormat({{}, QStringLiteral(".."), QStringLiteral("/f.zhq"), QStringLiteral("/p.jpg"), {}},
                                  std::move(back));
    });
    EXPECT_EQ(done, QString());
    EXPECT_EQ(mApp.prompter.shown, QStringList{QStringLiteral("格式名称“..”不能用作文件名，无法下载！")});
    EXPECT_TRUE(mServer.hits.isEmpty());
}

TEST_F(WebCatalogueTest, SearchFromTheLastRowWrapsToTheFirst)
{
    ASSERT_TRUE(mCatalogue.StoreCatalogue({{QStringLiteral("银行"), QStringLiteral("建行支票"), {}, {}, {}},
                                           {QStringLiteral("银行"), QStringLiteral("工行支票"), {}, {}, {}},
                                           {QStringLiteral("物流"), QStringLiteral("送货单"), {}, {}, {}}}));
    Grid grid;
    mCatalogue.FillCatalogueGrid(grid);
    const int first = grid.FixedRows();
    const int last = grid.RowCount() - 1;
    ASSERT_EQ(grid.Text(last, WebCatalogue::ColName), QStringLiteral("建行支票"));
    FormatLibrary library(*mApp.app);
    EXPECT_EQ(library.FindInGrid(grid, QStringLiteral("支票"), WebCatalogue::ColClas, WebCatalogue::ColName, last),
              first + 1);
    EXPECT_EQ(library.FindInGrid(grid, QStringLiteral("物流"), WebCatalogue::ColClas, WebCatalogue::ColName, last),
              first);
}

TEST_F(WebCatalogueTest, WithoutAnAddressNothingGoesToTheNetwork)
{
    mApp.app->Parameters().SetParam(WebCatalogue::AddressParameter(), QString());
    const WebText::TextResult result = Update();
    EXPECT_EQ(result.reason, WebCatalogue::NoAddressMessage());
    UpdateCheck check(*mApp.app, mHttp, QStringLiteral("1.0"));
    const auto outcome = Await<UpdateCheck::Outcome>([&](auto done) { check.CheckNewEdition(std::move(done)); });
    EXPECT_EQ(outcome.state, UpdateCheck::State::NoAddress);
    EXPECT_TRUE(mServer.hits.isEmpty());
}

TEST_F(WebCatalogueTest, AddressesAreKeptInOneForm)
{
    const struct {
        const char* typed;
        const char* kept;
    } cases[] = {{"127.0.0.1:8080/", "http://127.0.0.1:8080"}, {" https://formats.example/cat// ", "https://formats.example/cat"},
                 {"ftp://host", ""}, {"http://", ""}, {"http://host/?a=1", ""}, {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(WebCatalogue::NormalizeAddress(QString::fromUtf8(c.typed)), QString::fromUtf8(c.kept)) << c.typed;
}

} // namespace
} // namespace kestrio
