// The catalogue server: what it serves from its folder, what it refuses, and the commands
// around it end to end.
#include "ScriptedServer.h"
#include "TestApp.h"
#include "web/CatalogueServer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kestrio {
namespace {

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class CatalogueServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mFolder = mDir.filePath(QStringLiteral("pub"));
        WriteBytes(Pub(QStringLiteral("送货单.zhq")), "zhq");
        WriteBytes(Pub(QStringLiteral("送货单.jpg")), "jpg");
        WriteBytes(Pub(QStringLiteral("银行/建行#1.zhq")), "bank");
        WriteBytes(Pub(QStringLiteral("银行/a|b.zhq")), "bad name");
        WriteBytes(Pub(QStringLiteral("notes.txt")), "notes");
        WriteBytes(mDir.filePath(QStringLiteral("secret.zhq")), "secret");
        QFile::link(mDir.filePath(QStringLiteral("secret.zhq")), Pub(QStringLiteral("link.zhq")));
    }

    QString Pub(const QString& relative) const { return QDir(mFolder).filePath(relative); }

    // One raw request, so that the path reaches the server exactly as written. The server runs
    // on this thread: the wait lets its events run.
    static QByteArray RawGet(quint16 port, const QByteArray& path)
    {
        QTcpSocket socket;
        QByteArray answer;
        QDeadlineTimer deadline(3000);
        auto waitUntil = [&](const std::function<bool()>& done) {
            while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        };
        socket.connectToHost(QHostAddress::LocalHost, port);
        waitUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; });
        socket.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        waitUntil([&] { return (answer += socket.readAll()).contains("\r\n\r\n"); });
        return answer;
    }

    QTemporaryDir mDir;
    QString mFolder;
};

TEST_F(CatalogueServerTest, OnlyExchangeFilesAndPicturesInsideTheFolderAreServed)
{
    const struct {
        const char* path;
        const char* served; // empty: refused
    } cases[] = {{"/送货单.zhq", "送货单.zhq"}, {"/送货单.jpg", "送货单.jpg"}, {"/银行/建行#1.zhq", "银行/建行#1.zhq"},
                 {"/../secret.zhq", ""}, {"/银行/../../secret.zhq", ""}, {"/link.zhq", ""}, {"/notes.txt", ""},
                 {"/", ""}, {"/银行", ""}, {"/银行\\..\\..\\secret.zhq", ""}};
    for (const auto& c : cases) {
        const QString expected = *c.served ? QFileInfo(Pub(QString::fromUtf8(c.served))).canonicalFilePath() : QString();
        EXPECT_EQ(CatalogueServer::FileForPath(mFolder, QString::fromUtf8(c.path)), expected) << c.path;
    }

    CatalogueServer server(mFolder);
    const quint16 port = server.Listen(QHostAddress::LocalHost, 0);
    ASSERT_NE(port, 0);
    for (const QByteArray path : {QByteArray("/../secret.zhq"), QByteArray("/%2e%2e/secret.zhq")}) {
        const QByteArray answer = RawGet(port, path);
        EXPECT_TRUE(answer.startsWith("HTTP/1.1 404")) << path.constData() << answer.left(40).constData();
        EXPECT_FALSE(answer.contains("secret")) << path.constData();
    }
    EXPECT_TRUE(RawGet(port, "/%E9%80%81%E8%B4%A7%E5%8D%95.zhq").startsWith("HTTP/1.1 200"));
}

TEST_F(CatalogueServerTest, TheCatalogueListsEveryUsableFileWithCategoryPicturePathAndDate)
{
    const QString date = QFileInfo(Pub(QStringLiteral("送货单.zhq"))).lastModified().date().toString(Qt::ISODate);
    EXPECT_EQ(QString::fromUtf8(CatalogueServer::CatalogueText(mFolder)),
              QStringLiteral("其他|送货单|/送货单.zhq|/送货单.jpg|") +
                  date + QStringLiteral("<br>银行|建行#1|/银行/建行%231.zhq||") + date + QStringLiteral("<br>Finished"));
    EXPECT_EQ(CatalogueServer::ProductPage(mFolder), QByteArray());
    WriteBytes(Pub(CatalogueServer::VersionFileName()), "2.05\n");
    EXPECT_TRUE(CatalogueServer::ProductPage(mFolder).contains("<title>Kestrio支票打印 (2.05版)</title>"));
}

// Runs the events (the server's among them) until `done` or the time is up.
bool WaitUntil(const std::function<bool()>& done, int ms = 3000)
{
    for (QDeadlineTimer deadline(ms); !done();) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

std::unique_ptr<QTcpSocket> Connect(quint16 port)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, port);
    WaitUntil([&] { return socket->state() == QAbstractSocket::ConnectedState; });
    return socket;
}

class BoundedServerTest : public CatalogueServerTest {
protected:
    void Start(CatalogueServer::Limits limits)
    {
        mServer = std::make_unique<CatalogueServer>(mFolder, limits);
        mServer->SetLog([this](const QString& line) { mLog << line; });
        mPort = mServer->Listen(QHostAddress::LocalHost, 0);
        ASSERT_NE(mPort, 0);
    }
    bool Logged(const QString& part) const { return !mLog.filter(part).isEmpty(); }

    std::unique_ptr<CatalogueServer> mServer;
    quint16 mPort = 0;
    QStringList mLog;
};

TEST_F(BoundedServerTest, ManyIdleConnectionsDoNotKeepARealClientOut)
{
    CatalogueServer::Limits limits;
    limits.connections = 6;
    limits.connectionsPerAddress = 4;
    Start(limits);
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < 20; ++i) idle.push_back(Connect(mPort));
    WaitUntil([&] { return mServer->OpenConnections() <= limits.connectionsPerAddress; }, 1000);
    EXPECT_LE(mServer->OpenConnections(), limits.connectionsPerAddress);
    EXPECT_TRUE(RawGet(mPort, "/%E9%80%81%E8%B4%A7%E5%8D%95.zhq").startsWith("HTTP/1.1 200"));
    EXPECT_TRUE(Logged(QStringLiteral("127.0.0.1 连接已关闭：该地址的连接已达上限4个"))) << mLog.join(QLatin1Char('\n')).toStdString();
}

TEST_F(BoundedServerTest, SilentAndTricklingConnectionsAreClosedAfterTheIdleTimeout)
{
    CatalogueServer::Limits limits;
    limits.idleTimeout = std::chrono::milliseconds(300);
    Start(limits);
    QElapsedTimer clock;
    clock.start();
    auto silent = Connect(mPort);
    auto trickle = Connect(mPort);
    QTimer drip;
    QObject::connect(&drip, &QTimer::timeout, trickle.get(), [&] { trickle->write("G"); });
    drip.start(50);
    EXPECT_TRUE(WaitUntil([&] {
        return silent->state() == QAbstractSocket::UnconnectedState &&
               trickle->state() == QAbstractSocket::UnconnectedState;
    }));
    EXPECT_GE(clock.elapsed(), 250);
    EXPECT_EQ(mServer->OpenConnections(), 0);
    EXPECT_TRUE(Logged(QStringLiteral("0.3秒内没有送来请求")));
}

TEST_F(BoundedServerTest, ConnectionCloseIsHonouredAndKeepAliveAnswersEveryRequest)
{
    Start({});
    auto kept = Connect(mPort);
    kept->write("GET /%E9%80%81%E8%B4%A7%E5%8D%95.zhq HTTP/1.1\r\n\r\nHEAD /%E9%80%81%E8%B4%A7%E5%8D%95.jpg HTTP/1.1\r\n\r\n");
    QByteArray answers;
    WaitUntil([&] { return (answers += kept->readAll()).count("HTTP/1.1 200 OK") == 2; });
    EXPECT_EQ(answers.count("HTTP/1.1 200 OK"), 2) << answers.constData();
    EXPECT_TRUE(answers.endsWith("Content-Length: 3\r\n\r\n")) << answers.constData(); // HEAD: no body
    EXPECT_EQ(kept->state(), QAbstractSocket::ConnectedState);

    kept->write("GET /tkd/fmt.asp HTTP/1.1\r\nConnection: close\r\n\r\n");
    answers.clear();
    EXPECT_TRUE(WaitUntil([&] {
        answers += kept->readAll();
        return kept->state() == QAbstractSocket::UnconnectedState;
    }, 2000));
    EXPECT_TRUE(answers.contains("Connection: close\r\n")) << answers.constData();
    EXPECT_TRUE(answers.endsWith("Finished")) << answers.constData();
}

TEST_F(BoundedServerTest, OversizedOrForeignRequestsAreAnsweredAndTheConnectionClosed)
{
    Start({});
    const struct {
        QByteArray request;
        const char* status;
    } cases[] = {{"GET /" + QByteArray(9000, 'a') + " HTTP/1.1\r\n\r\n", "414"},
                 {"GET / HTTP/1.1\r\nX: " + QByteArray(40000, 'b') + "\r\n\r\n", "431"},
                 {"POST /tkd/fmt.asp HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc", "400"},
                 {"DELETE /送货单.zhq HTTP/1.1\r\nConnection: close\r\n\r\n", "405"},
                 {"GET /tkd/fmt.asp HTTP/2.0\r\n\r\n", "505"},
                 {"GET /tkd/fmt.asp HTTP/1.0\r\n\r\n", "200"}};
    for (const auto& c : cases) {
        auto socket = Connect(mPort);
        socket->write(c.request);
        QByteArray answer;
        EXPECT_TRUE(WaitUntil([&] {
            answer += socket->readAll();
            return socket->state() == QAbstractSocket::UnconnectedState;
        })) << c.status;
        EXPECT_TRUE(answer.startsWith("HTTP/1.1 " + QByteArray(c.status))) << c.status << answer.left(60).constData();
    }
    EXPECT_TRUE(WaitUntil([&] { return mServer->OpenConnections() == 0; }));
}

TEST_F(BoundedServerTest, AClientThatDoesNotReadIsHeldToTheSendBufferAndDropped)
{
    WriteBytes(Pub(QStringLiteral("大.zhq")), QByteArray(24 * 1024 * 1024, 'z'));
    CatalogueServer::Limits limits;
    limits.sendBuffer = 64 * 1024;
    limits.idleTimeout = std::chrono::milliseconds(500);
    Start(limits);
    auto reader = Connect(mPort);
    reader->setReadBufferSize(4096); // takes a few bytes, then never again
    QByteArray requests;
    for (int i = 0; i < 20; ++i) requests += "GET /%E5%A4%A7.zhq HTTP/1.1\r\n\r\n";
    reader->write(requests);
    qint64 most = 0;
    EXPECT_TRUE(WaitUntil([&] {
        most = std::max(most, mServer->QueuedBytes());
        return mServer->OpenConnections() == 0;
    }, 5000));
    EXPECT_GT(most, 0);
    EXPECT_LE(most, limits.sendBuffer + 64 * 1024);
    EXPECT_TRUE(Logged(QStringLiteral("0.5秒内没有接收回答"))) << mLog.join(QLatin1Char('\n')).toStdString();
}

struct CommandRun {
    int code = -1;
    QString out;
    QString err;
};

CommandRun Kestrio(const QString& dataDir, const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(KESTRIO_BINARY), QStringList{QStringLiteral("--data-dir"), dataDir} + args);
    // The events run meanwhile: the server the command talks to may be this test's own.
    WaitUntil([&] { return process.state() == QProcess::NotRunning; }, 60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST_F(CatalogueServerTest, AFormatPublishedOnOneComputerIsDownloadedOnAnother)
{
    const QString office = mDir.filePath(QStringLiteral("office"));
    const QString clerk = mDir.filePath(QStringLiteral("clerk"));
    CommandRun run = Kestrio(office, {QStringLiteral("publish-format"), QStringLiteral("现金支票"), mFolder,
                               QStringLiteral("--category"), QStringLiteral("银行")});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    WriteBytes(Pub(CatalogueServer::VersionFileName()), "99.1");

    QProcess server;
    server.start(QStringLiteral(KESTRIO_BINARY), {QStringLiteral("catalogue-server"), QStringLiteral("--dir"), mFolder,
                                                  QStringLiteral("--port"), QStringLiteral("0"),
                                                  QStringLiteral("--bind"), QStringLiteral("127.0.0.1")});
    ASSERT_TRUE(server.waitForReadyRead(30000));
    const QString port =
        QRegularExpression(QStringLiteral("127\\.0\\.0\\.1:(\\d+)")).match(QString::fromUtf8(server.readLine())).captured(1);
    ASSERT_FALSE(port.isEmpty());

    run = Kestrio(clerk, {QStringLiteral("check-update")});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("没有设置格式目录服务器"))) << run.err.toStdString();
    run = Kestrio(clerk, {QStringLiteral("set-parameter"), QStringLiteral("网站地址"), QStringLiteral("127.0.0.1:") + port});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    run = Kestrio(clerk, {QStringLiteral("catalogue"), QStringLiteral("--update")});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("\n银行\t现金支票\t"))) << run.out.toStdString();
    run = Kestrio(clerk, {QStringLiteral("catalogue"), QStringLiteral("--download"), QStringLiteral("现金支票"),
                          QStringLiteral("--as"), QStringLiteral("网上现金支票")});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(Kestrio(clerk, {QStringLiteral("formats")}).out.contains(QStringLiteral("网上现金支票\n")));
    run = Kestrio(clerk, {QStringLiteral("check-update")});
    EXPECT_TRUE(run.out.endsWith(QStringLiteral("最新版本：99.1\n有新版本可以升级。\n"))) << run.out.toStdString();
    server.kill();
    server.waitForFinished();
}

} // namespace
} // namespace kestrio

namespace kestrio {
namespace {

TEST_F(CatalogueServerTest, ATricklingServerMakesTheCommandsGiveUpAtTheirDeadlineKeepingTheOldList)
{
    const QString clerk = mDir.filePath(QStringLiteral("clerk"));
    test::DripServer server;
    server.body = QStringLiteral("银行|旧格式|/a.zhq||2024-01-01<br>Finished").toUtf8();
    ASSERT_EQ(Kestrio(clerk, {QStringLiteral("set-parameter"), QStringLiteral("网站地址"), server.Address()}).code, 0);
    CommandRun run = Kestrio(clerk, {QStringLiteral("catalogue"), QStringLiteral("--update")});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    ASSERT_TRUE(run.out.contains(QStringLiteral("旧格式")));

    server.drip = true;
    for (const QStringList& command : {QStringList{QStringLiteral("catalogue"), QStringLiteral("--update")},
                                       QStringList{QStringLiteral("check-update")}}) {
        QElapsedTimer clock;
        clock.start();
        run = Kestrio(clerk, command + QStringList{QStringLiteral("--time-limit"), QStringLiteral("1")});
        EXPECT_LT(clock.elapsed(), 4000) << command.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.err.contains(QStringLiteral("网络超时！"))) << run.err.toStdString();
    }
    EXPECT_TRUE(Kestrio(clerk, {QStringLiteral("catalogue")}).out.contains(QStringLiteral("银行\t旧格式\t")));
}

} // namespace
} // namespace kestrio
