// Commands whose output cannot be written: a folder the user may not write and a file-size
// limit. Each must exit 1 with its message and leave nothing under the target name.
#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace {

constexpr uid_t kNobody = 65534;

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

QString ReadAll(QTemporaryFile& file)
{
    file.seek(0);
    return QString::fromUtf8(file.readAll());
}

// Runs the program in a child process with a file-size limit (0: none), as `user` when the
// tests run as root (a read-only folder means nothing to root).
Outcome RunKestrio(const QStringList& arguments, rlim_t fileSizeLimit = 0, bool asOtherUser = false)
{
    QTemporaryFile out, err;
    if (!out.open() || !err.open()) return {};
    std::vector<QByteArray> storage{QByteArrayLiteral(KESTRIO_BINARY)};
    for (const QString& a : arguments) storage.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : storage) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        dup2(out.handle(), 1);
        dup2(err.handle(), 2);
        if (fileSizeLimit) {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (asOtherUser && geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(out), ReadAll(err)};
}

class FailedWrites : public ::testing::Test {
protected:
    void SetUp() override
    {
        mData = QDir(mDir.path()).filePath(QStringLiteral("data"));
        mOut = QDir(mDir.path()).filePath(QStringLiteral("out"));
        ASSERT_TRUE(QDir().mkpath(mOut));
        ASSERT_EQ(RunKestrio({QStringLiteral("--data-dir"), mData, QStringLiteral("formats")}).code, 0);
    }
    void TearDown() override
    {
        for (const QString& folder : {mData, mOut})
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    QStringList Args(const QStringList& command) const { return QStringList{QStringLiteral("--data-dir"), mData} + command; }
    // The newest record number: each stored bill adds one.
    int Bills() const
    {
        const Outcome run = RunKestrio(Args({QStringLiteral("sql"), QStringLiteral("SELECT max(ID) AS n FROM 历史")}));
        return run.out.section(QLatin1Char('\n'), 1, 1).toInt();
    }
    // The folder `path` writable by nobody but root: for root's tests the program runs as
    // another user who owns the database but not the folders.
    void MakeReadOnly(const QString& path)
    {
        if (geteuid() == 0) {
            QFile::setPermissions(mDir.path(), QFile::permissions(mDir.path()) | QFileDevice::ExeOther);
            QFile::setPermissions(mData, QFile::permissions(mData) | QFileDevice::ExeOther | QFileDevice::ReadOther);
            ASSERT_EQ(chown(QFile::encodeName(QDir(mData).filePath(QStringLiteral("DATA.mdb"))).constData(), kNobody,
                            kNobody),
                      0);
        }
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                        QFileDevice::ExeOther);
    }
    QStringList FillStore() const
    {
        return Args({QStringLiteral("fill"), QStringLiteral("--format"), QStringLiteral("转账支票"), QStringLiteral("--set"),
                     QStringLiteral("收款人=张三"), QStringLiteral("--set"), QStringLiteral("小写金额=100"), QStringLiteral("--store")});
    }
    QStringList PrintPdf() const
    {
        return Args({QStringLiteral("print"), QStringLiteral("--format"), QStringLiteral("转账支票"), QStringLiteral("--set"),
                     QStringLiteral("小写金额=100"), QStringLiteral("--pdf"), QDir(mOut).filePath(QStringLiteral("单据.pdf"))});
    }
    QStringList Export() const
    {
        return Args({QStringLiteral("export-format"), QStringLiteral("转账支票"), QDir(mOut).filePath(QStringLiteral("格式.zhq"))});
    }
    void ExpectFailure(const Outcome& run, const char* message, const char* what)
    {
        EXPECT_EQ(run.code, 1) << what << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(message))) << what << run.err.toStdString();
        EXPECT_EQ(QDir(mOut).entryList(QDir::Files | QDir::Hidden).join(u','), QString()) << what;
    }

    QTemporaryDir mDir;
    QString mData;
    QString mOut;
};

TEST_F(FailedWrites, FileSizeLimit)
{
    const int before = Bills();
    ExpectFailure(RunKestrio(FillStore(), 1024), "历史记录保存失败！", "fill --store");
    EXPECT_EQ(Bills(), before);
    ExpectFailure(RunKestrio(PrintPdf(), 1024), "文件写入失败：", "print --pdf");
    ExpectFailure(RunKestrio(Export(), 1024), "文件写入失败：", "export-format");
    EXPECT_EQ(RunKestrio(FillStore()).code, 0);
    EXPECT_EQ(Bills(), before + 1);
}

TEST_F(FailedWrites, ReadOnlyFolders)
{
    MakeReadOnly(mData);
    MakeReadOnly(mOut);
    ExpectFailure(RunKestrio(FillStore(), 0, true), "历史记录保存失败！", "fill --store");
    ExpectFailure(RunKestrio(PrintPdf(), 0, true), "文件写入失败：", "print --pdf");
    ExpectFailure(RunKestrio(Export(), 0, true), "文件写入失败：", "export-format");
}

TEST_F(FailedWrites, SqlMayNotChangeTheKeyOrReachOtherFiles)
{
    for (const char* statement : {"PRAGMA rekey='abc'", "pragma main.key = 'x'", "PRAGMA hexrekey='00'",
                                  "ATTACH DATABASE 'x.db' AS x KEY ''", "VACUUM INTO 'copy.db'"}) {
        const Outcome run = RunKestrio(Args({QStringLiteral("sql"), QString::fromUtf8(statement)}));
        EXPECT_EQ(run.code, 1) << statement;
        EXPECT_TRUE(run.err.contains(QStringLiteral("不允许"))) << statement;
    }
    EXPECT_EQ(RunKestrio(Args({QStringLiteral("formats")})).code, 0);
}

TEST_F(FailedWrites, FormatsListsEachNameOnceAndBackupRestoreRoundTrip)
{
    ASSERT_EQ(RunKestrio(Args({QStringLiteral("sql"), QStringLiteral("INSERT INTO Fmt(Fmt,LBL) SELECT Fmt,LBL FROM Fmt WHERE "
                                                              "Fmt='转账支票' AND LBL='【§单据整体格式参数§】'")}))
                  .code,
              0);
    Outcome run = RunKestrio(Args({QStringLiteral("formats")}));
    EXPECT_EQ(run.out.count(QStringLiteral("转账支票\n")), 1) << run.out.toStdString();

    const QString copy = QDir(mDir.path()).filePath(QStringLiteral("copy.mdb"));
    ASSERT_EQ(RunKestrio(Args({QStringLiteral("backup"), copy})).code, 0);
    ASSERT_EQ(RunKestrio(FillStore()).code, 0);
    const int stored = Bills();
    run = RunKestrio(Args({QStringLiteral("restore"), copy}));
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(Bills(), stored - 1);
    run = RunKestrio(Args({QStringLiteral("restore"), QDir(mData).filePath(QStringLiteral("转账支票.jpg"))}));
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("不是本程序的数据文件"))) << run.err.toStdString();
    EXPECT_EQ(Bills(), stored - 1);
}

} // namespace
