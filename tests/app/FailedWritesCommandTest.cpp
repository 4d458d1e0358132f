// Commands whose output cannot be written: a folder the user may not write and a file-size
// limit. Each must exit 1 with its message and leave nothing under the target name.
#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <fcntl.h>
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
        // Never the terminal: a command that asks for the password must find nobody to ask.
        const int nothing = open("/dev/null", O_RDONLY);
        dup2(nothing, 0);
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

// Every kind of output under a file-size limit: exit 1, "文件写入失败：" and the file's name,
// the file already there exactly as it was, and no scratch file left beside it.
TEST_F(FailedWrites, EveryOutputKeepsTheOldFileUnderASizeLimit)
{
    for (int i = 1; i <= 12; ++i)
        ASSERT_EQ(RunKestrio(Args({QStringLiteral("fill"), QStringLiteral("--format"), QStringLiteral("转账支票"), QStringLiteral("--set"),
                                   QStringLiteral("收款人=第%1位收款人很长的名称用来填满表格").arg(i), QStringLiteral("--set"),
                                   QStringLiteral("小写金额=%1").arg(i * 100), QStringLiteral("--store")}))
                      .code,
                  0);
    const QString csv = QDir(mDir.path()).filePath(QStringLiteral("rows.csv"));
    QFile rows(csv);
    ASSERT_TRUE(rows.open(QIODevice::WriteOnly));
    rows.write("收款人\n甲\n乙\n");
    rows.close();
    const auto out = [&](const char* name) { return QDir(mOut).filePath(QString::fromUtf8(name)); };
    const QStringList stats{QStringLiteral("stats"), QStringLiteral("--format"), QStringLiteral("转账支票"),
                            QStringLiteral("--from"), QStringLiteral("2020-01-01"), QStringLiteral("--to"),
                            QStringLiteral("2030-12-31"), QStringLiteral("--count"), QStringLiteral("--date"),
                            QStringLiteral("存根出票日期")};
    struct Case {
        QStringList command;
        QString kept;   // a file already there that must stay as it was
        QString named;  // the file the message names
    };
    const QString fmt = QStringLiteral("转账支票");
    const std::vector<Case> cases{
        {{QStringLiteral("export-history"), QStringLiteral("--format"), fmt, out("h.csv"), QStringLiteral("--all")}, out("h.csv"), out("h.csv")},
        {{QStringLiteral("export-history"), QStringLiteral("--format"), fmt, out("h.xlsx"), QStringLiteral("--all")}, out("h.xlsx"), out("h.xlsx")},
        {stats + QStringList{QStringLiteral("--xlsx"), out("s.xlsx")}, out("s.xlsx"), out("s.xlsx")},
        {stats + QStringList{QStringLiteral("--chart"), out("c.png")}, out("c.png"), out("c.png")},
        {stats + QStringList{QStringLiteral("--chart"), out("c.jpg")}, out("c.jpg"), out("c.jpg")},
        {{QStringLiteral("export-format"), fmt, out("f.zhq"), QStringLiteral("--force")}, out("f.zhq"), out("f.jpg")},
        {{QStringLiteral("publish-format"), fmt, mOut}, out("转账支票.zhq"), out("转账支票.jpg")},
        {{QStringLiteral("print"), QStringLiteral("--format"), fmt, QStringLiteral("--pdf"), out("b.pdf"), QStringLiteral("--allow-empty")}, out("b.pdf"), out("b.pdf")},
        {{QStringLiteral("print"), QStringLiteral("--format"), fmt, QStringLiteral("--png"), out("b.png"), QStringLiteral("--allow-empty")}, out("b.png"), out("b.png")},
        {{QStringLiteral("batch"), QStringLiteral("--format"), fmt, QStringLiteral("--source"), csv, QStringLiteral("--map"),
          QStringLiteral("收款人=1"), QStringLiteral("--start"), QStringLiteral("2"), QStringLiteral("--pdf"), out("p.pdf"),
          QStringLiteral("--allow-empty")},
         out("p.pdf"), out("p.pdf")},
    };
    const QByteArray old(4000, 'o');
    for (const Case& c : cases) {
        QFile kept(c.kept);
        ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
        kept.write(old);
        kept.close();
        const QStringList before = QDir(mOut).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        const Outcome run = RunKestrio(Args(c.command), 1024);
        const std::string what = c.command.join(u' ').toStdString();
        EXPECT_EQ(run.code, 1) << what << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("文件写入失败：") + c.named)) << what << run.err.toStdString();
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), old) << what;
        kept.close();
        EXPECT_EQ(QDir(mOut).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before) << what;
        QFile::remove(c.kept);
    }
}

// The bill is printed and could be stored, but its picture cannot be written: nothing is
// stored, and the message says so.
TEST_F(FailedWrites, PrintStoreToAFailingTargetStoresNothing)
{
    const int before = Bills();
    const QStringList print = Args({QStringLiteral("print"), QStringLiteral("--format"), QStringLiteral("转账支票"),
                                    QStringLiteral("--set"), QStringLiteral("收款人=张三"), QStringLiteral("--set"),
                                    QStringLiteral("小写金额=100"), QStringLiteral("--png"),
                                    QDir(mOut).filePath(QStringLiteral("b.png")), QStringLiteral("--dpi"),
                                    QStringLiteral("2400"), QStringLiteral("--store")});
    const Outcome run = RunKestrio(print, 200 * 1024);
    EXPECT_EQ(run.code, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("文件写入失败："))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("单据没有存入历史记录。"))) << run.err.toStdString();
    EXPECT_FALSE(run.out.contains(QStringLiteral("历史记录号")));
    EXPECT_EQ(Bills(), before);
    const Outcome whole = RunKestrio(print);
    EXPECT_EQ(whole.code, 0) << whole.err.toStdString();
    EXPECT_EQ(Bills(), before + 1);
    EXPECT_TRUE(whole.out.contains(QStringLiteral("历史记录号：%1").arg(before + 1))) << whole.out.toStdString();
}

// New outputs and the data folder are the owner's alone; what a killed run left of its
// unfinished files goes at the next start, and nothing else does.
TEST_F(FailedWrites, OwnerOnlyFilesAndLeftoversOfAKilledRun)
{
    const QString fresh = QDir(mDir.path()).filePath(QStringLiteral("fresh"));
    ASSERT_EQ(RunKestrio({QStringLiteral("--data-dir"), fresh, QStringLiteral("formats")}).code, 0);
    EXPECT_EQ(QFile::permissions(fresh) & 0x0077, 0);
    ASSERT_EQ(RunKestrio(PrintPdf()).code, 0);
    EXPECT_EQ(QFile::permissions(QDir(mOut).filePath(QStringLiteral("单据.pdf"))) & 0x0077, 0);

    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    const QString dead = QString::number(gone);
    const QString alive = QString::number(getpid());
    const QDir data(mData);
    ASSERT_TRUE(data.mkpath(QStringLiteral("Backup")));
    const QStringList leftovers{QStringLiteral("DATA.mdb.creating-") + dead,
                                QStringLiteral("DATA.mdb.creating-") + dead + QStringLiteral("-journal"),
                                QStringLiteral("Backup/DATA-20261201-080000.mdb.creating-") + dead,
                                QStringLiteral("Temp/.kestrio-export-") + dead + QStringLiteral("-AbCdEf.xlsx")};
    const QStringList kept{QStringLiteral("DATA.mdb.creating-") + alive, QStringLiteral("notes.creating-x"),
                           QStringLiteral("Temp/.kestrio-export-mine.xlsx"), QStringLiteral("Temp/other.txt")};
    ASSERT_TRUE(data.mkpath(QStringLiteral("Temp")));
    for (const QString& name : leftovers + kept) {
        QFile file(data.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    }
    ASSERT_EQ(RunKestrio(Args({QStringLiteral("formats")})).code, 0);
    for (const QString& name : leftovers) EXPECT_FALSE(data.exists(name)) << name.toStdString();
    for (const QString& name : kept) EXPECT_TRUE(data.exists(name)) << name.toStdString();
}

TEST_F(FailedWrites, SetParameterThatCannotBeStoredFails)
{
    MakeReadOnly(mData);
    const Outcome run = RunKestrio(Args({QStringLiteral("set-parameter"), QStringLiteral("甲"), QStringLiteral("乙")}), 0, true);
    EXPECT_EQ(run.code, 1) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("参数“甲”没有保存："))) << run.err.toStdString();
    EXPECT_FALSE(run.out.contains(QStringLiteral("已设为")));
}

// With a password set, no command reaches the data without it; removing it needs it too.
TEST_F(FailedWrites, TheAccessPasswordGuardsTheCommandLine)
{
    const auto file = [&](const char* name, const QByteArray& text) {
        const QString path = QDir(mDir.path()).filePath(QString::fromUtf8(name));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return path;
    };
    const QString right = file("right", "s3 cret\n");
    const QString wrong = file("wrong", "s3cret\n");
    ASSERT_EQ(RunKestrio(Args({QStringLiteral("set-parameter"), QStringLiteral("软件密码"), QStringLiteral("s3 cret")})).code, 0);

    const QStringList read = Args({QStringLiteral("sql"), QStringLiteral("SELECT Con FROM 参数 WHERE Var='软件密码'")});
    Outcome run = RunKestrio(read);
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("已设置软件密码"))) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    run = RunKestrio(read + QStringList{QStringLiteral("--password-file"), wrong});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("密码错误！")));
    run = RunKestrio(read + QStringList{QStringLiteral("--password-file"), right});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("PBKDF2-SHA256$"))) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains(QStringLiteral("s3 cret")));

    const QStringList remove = Args({QStringLiteral("set-parameter"), QStringLiteral("软件密码"), QString()});
    EXPECT_EQ(RunKestrio(remove).code, 1);
    EXPECT_EQ(RunKestrio(FillStore()).code, 1);
    EXPECT_EQ(RunKestrio({QStringLiteral("convert"), QStringLiteral("103"), QStringLiteral("12")}).code, 0);
    EXPECT_EQ(RunKestrio(remove + QStringList{QStringLiteral("--password-file"), right}).code, 0);
    EXPECT_EQ(RunKestrio(FillStore()).code, 0);
}

} // namespace
