// A DATA.mdb that is not ours is left byte for byte as it was, and the program runs on.
#include "TestApp.h"
#include "startup/StartupSequence.h"

#include <QCryptographicHash>
#include <QFile>
#include <gtest/gtest.h>

#include <sqlcipher/sqlite3.h>

namespace kestrio {
namespace {

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A plain database file, keyed with `key` when it is not empty.
void MakeSqlite(const QString& path, const QByteArray& key)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    if (!key.isEmpty())
        sqlite3_exec(db, (QByteArray("PRAGMA key='") + key + "'").constData(), nullptr, nullptr, nullptr);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE Fmt(ID INTEGER, Fmt TEXT); INSERT INTO Fmt VALUES(1,'x');", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    sqlite3_close(db);
}

class ForeignFile : public ::testing::TestWithParam<const char*> {};

TEST_P(ForeignFile, IsNeitherOpenedNorChanged)
{
    test::TestApp t;
    const std::string kind = GetParam();
    const QString path = t.DatabasePath();
    if (kind == "plain sqlite") MakeSqlite(path, {});
    if (kind == "another key") MakeSqlite(path, "not-our-key");
    if (kind == "garbage") Write(path, QByteArray(8192, '\x5a'));
    if (kind == "zero bytes") Write(path, {});
    if (kind == "read-only") {
        MakeSqlite(path, "40260813");
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }
    const QByteArray before = Contents(path);

    EXPECT_EQ(StartupSequence::Start(*t.app), StartupSequence::Next::ShowMainWindow);
    ASSERT_FALSE(t.prompter.shown.isEmpty());
    EXPECT_EQ(t.prompter.shown.first(), QStringLiteral("无法建立数据库连接！"));
    // The program runs on with empty data; each query that cannot be opened says so.
    EXPECT_EQ(t.app->Parameters().GetParam(QStringLiteral("软件密码")), QString());
    EXPECT_EQ(t.prompter.shown.last(), QStringLiteral("数据库打开错误(SELECT * FROM 参数 WHERE Var='软件密码')！"));
    t.app->DbOp().ExecuteSql(QStringLiteral("DELETE * FROM Fmt"));
    t.app->Parameters().SetParam(QStringLiteral("甲"), QStringLiteral("乙"));

    EXPECT_EQ(Contents(path), before);
    EXPECT_FALSE(QFile::exists(path + QStringLiteral("-journal")));
}

INSTANTIATE_TEST_SUITE_P(DataMdb, ForeignFile,
                         ::testing::Values("plain sqlite", "another key", "garbage", "zero bytes", "read-only"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (c == ' ' || c == '-') c = '_';
                             return name;
                         });

} // namespace
} // namespace kestrio
