// `kestrio --data-dir DIR sql "…"`, run as a user runs it.
#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

Outcome Kestrio(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(KESTRIO_BINARY), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(CommandLineSql, ReadsAndWritesTheEncryptedDatabase)
{
    QTemporaryDir dir;
    const QString data = QDir(dir.path()).filePath(QStringLiteral("数据"));
    const QStringList base{QStringLiteral("--data-dir"), data, QStringLiteral("sql")};

    Outcome run = Kestrio(base + QStringList{QStringLiteral("INSERT INTO 参数(Var,Con) VALUES('O''Brien','a\tb')")});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QString());
    QFile file(QDir(data).filePath(QStringLiteral("DATA.mdb")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.read(16).startsWith("SQLite format 3"));

    run = Kestrio(base + QStringList{QStringLiteral("SELECT Var,Con FROM 参数 WHERE Var LIKE 'O%'")});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Var\tCon\nO'Brien\ta\\tb\n"));

    // A first start comes with the demo formats and shows the transfer cheque first.
    run = Kestrio(base + QStringList{QStringLiteral("SELECT TOP 1 Fmt,LBL FROM Fmt WHERE Fmt=''")});
    EXPECT_EQ(run.out, QStringLiteral("Fmt\tLBL\n\t转账支票\n"));
}

TEST(CommandLineSql, ErrorsGoToTheErrorStreamWithExitCodeOne)
{
    QTemporaryDir dir;
    Outcome run = Kestrio({QStringLiteral("--data-dir"), dir.path(), QStringLiteral("sql"), QStringLiteral("SELECT * FROM 没有")});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, QString());
    EXPECT_TRUE(run.err.contains(QStringLiteral("没有"))) << run.err.toStdString();

    run = Kestrio({QStringLiteral("--data-dir"), dir.path(), QStringLiteral("sql"), QStringLiteral("DELETE * FROM 没有")});
    EXPECT_EQ(run.code, 1);

    QFile garbage(QDir(dir.path()).filePath(QStringLiteral("DATA.mdb")));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly | QIODevice::Truncate));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    run = Kestrio({QStringLiteral("--data-dir"), dir.path(), QStringLiteral("sql"), QStringLiteral("SELECT * FROM Fmt")});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("无法建立数据库连接！"))) << run.err.toStdString();
}

} // namespace
