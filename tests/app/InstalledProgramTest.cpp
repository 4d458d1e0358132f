// The program as a desktop installs it: the data folder of a program in /usr/bin, a .zhq file
// handed over on the command line, and the channel to the program already running.
#include "GuiApplication.h"
#include "app/AppPaths.h"
#include "app/FileHandOver.h"
#include "startup/OpenedExchangeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <future>

namespace kestrio {
namespace {

enum class Where { Option, Executable, PerUser };

struct FolderCase {
    const char* name;
    bool dataDirGiven;
    const char* executableFolder; // empty: a writable scratch folder
    bool databaseBeside;
    Where expected;
};

class DataFolder : public ::testing::TestWithParam<FolderCase> {};

TEST_P(DataFolder, IsChosenByTheRules)
{
    QStandardPaths::setTestModeEnabled(true);
    const FolderCase& c = GetParam();
    QTemporaryDir scratch;
    const QString option = c.dataDirGiven ? QDir(scratch.path()).filePath(QStringLiteral("data")) : QString();
    const QString executable =
        *c.executableFolder ? QString::fromUtf8(c.executableFolder) : QDir(scratch.path()).filePath(QStringLiteral("bin"));
    if (!*c.executableFolder) QDir().mkpath(executable);
    if (c.databaseBeside && !*c.executableFolder) {
        QFile beside(QDir(executable).filePath(QStringLiteral("DATA.mdb")));
        ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
    }
    const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    const QString expected = c.expected == Where::Option       ? option
                             : c.expected == Where::Executable ? executable
                                                               : perUser;
    EXPECT_EQ(AppPaths::Resolve(option, executable).Folder(), QDir(expected).absolutePath());
}

// Run as root, /usr/bin can be written: the data must still never go there.
INSTANTIATE_TEST_SUITE_P(Installed, DataFolder,
                         ::testing::Values(FolderCase{"option", true, "/usr/bin", false, Where::Option},
                                           FolderCase{"usrBin", false, "/usr/bin", false, Where::PerUser},
                                           FolderCase{"usrLocalBin", false, "/usr/local/bin", false, Where::PerUser},
                                           FolderCase{"bin", false, "/bin", false, Where::PerUser},
                                           FolderCase{"usrBinSlash", false, "/usr/bin/", false, Where::PerUser},
                                           FolderCase{"buildFolder", false, "", false, Where::Executable},
                                           FolderCase{"databaseBeside", false, "", true, Where::Executable}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ArgumentCase {
    QStringList command;
    QString path;
};

TEST(OpenedExchangeFile, OnlyASingleZhqFileIsOne)
{
    const QList<ArgumentCase> cases = {
        {{QStringLiteral("/tmp/转账支票.zhq")}, QStringLiteral("/tmp/转账支票.zhq")},
        {{QStringLiteral("A.ZHQ")}, QStringLiteral("A.ZHQ")},
        {{QStringLiteral("file:///tmp/%E6%94%AF%E7%A5%A8.zhq")}, QStringLiteral("/tmp/支票.zhq")},
        {{QStringLiteral("formats")}, QString()},
        {{QStringLiteral("a.zhq.jpg")}, QString()},
        {{QStringLiteral("import-format"), QStringLiteral("a.zhq")}, QString()},
        {{QStringLiteral("a.zhq"), QStringLiteral("b.zhq")}, QString()},
        {{}, QString()},
    };
    for (const ArgumentCase& c : cases)
        EXPECT_EQ(OpenedExchangeFile::PathIn(c.command), c.path) << c.command.join(QLatin1Char(' ')).toStdString();
}

TEST(OpenedExchangeFile, WindowsNeedADisplay)
{
    const struct {
        QStringList variables;
        bool display;
    } cases[] = {
        {{}, false},
        {{QStringLiteral("DISPLAY=:0")}, true},
        {{QStringLiteral("WAYLAND_DISPLAY=wayland-0")}, true},
        {{QStringLiteral("DISPLAY=")}, false},
        {{QStringLiteral("DISPLAY=:0"), QStringLiteral("QT_QPA_PLATFORM=offscreen")}, false},
        {{QStringLiteral("QT_QPA_PLATFORM=minimal:enable_fonts")}, false},
        {{QStringLiteral("QT_QPA_PLATFORM=xcb")}, true},
        {{QStringLiteral("DISPLAY=:0"), QStringLiteral("QT_QPA_PLATFORM=")}, true},
    };
    for (const auto& c : cases) {
        QProcessEnvironment environment;
        for (const QString& variable : c.variables)
            environment.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
        EXPECT_EQ(OpenedExchangeFile::HasDisplay(environment), c.display) << c.variables.join(QLatin1Char(' ')).toStdString();
    }
}

// Sends from another thread, as the second program would, while this one serves events.
bool SendAndServe(const QString& folder, const QString& path)
{
    auto sent = std::async(std::launch::async, [&] { return FileHandOver::Send(folder, path, 2000); });
    while (sent.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return sent.get();
}

TEST(FileHandOver, TheRunningProgramReceivesTheAbsolutePath)
{
    test::EnsureGuiApplication();
    QTemporaryDir folder;
    QTemporaryDir other;
    FileHandOver running(folder.path());
    ASSERT_TRUE(running.Listen());
    QSignalSpy received(&running, &FileHandOver::FileReceived);

    const QString relative = QStringLiteral("格式/送货 单.zhq");
    EXPECT_TRUE(SendAndServe(folder.path(), relative));
    EXPECT_TRUE(SendAndServe(folder.path(), QStringLiteral("/tmp/b.zhq")));
    ASSERT_EQ(received.size(), 2);
    EXPECT_EQ(received[0].first().toString(), QDir::current().absoluteFilePath(relative));
    EXPECT_EQ(received[1].first().toString(), QStringLiteral("/tmp/b.zhq"));

    // Nobody runs on another folder: the file is not taken.
    EXPECT_FALSE(SendAndServe(other.path(), QStringLiteral("/tmp/c.zhq")));
    EXPECT_EQ(received.size(), 2);
}

QString Kestrio(const QStringList& arguments, int* code)
{
    QProcess process;
    process.start(QStringLiteral(KESTRIO_BINARY), arguments);
    process.waitForFinished(60000);
    *code = process.exitCode();
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

// Without a display a .zhq file on the command line is imported as import-format does it.
TEST(OpenedExchangeFile, WithoutADisplayItIsImported)
{
    QTemporaryDir dir;
    const QString from = QDir(dir.path()).filePath(QStringLiteral("from"));
    const QString to = QDir(dir.path()).filePath(QStringLiteral("to"));
    const QString file = QDir(dir.path()).filePath(QStringLiteral("交来的支票.zhq"));
    int code = -1;
    const QString exported = Kestrio({QStringLiteral("--data-dir"), from, QStringLiteral("export-format"),
                                      QStringLiteral("转账支票"), file}, &code);
    ASSERT_EQ(code, 0) << exported.toStdString();

    const QStringList open{QStringLiteral("--data-dir"), to, file};
    QString said = Kestrio(open, &code);
    EXPECT_EQ(code, 0) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("格式“交来的支票”导入成功"))) << said.toStdString();
    said = Kestrio({QStringLiteral("--data-dir"), to, QStringLiteral("formats")}, &code);
    EXPECT_TRUE(said.split(QLatin1Char('\n')).contains(QStringLiteral("交来的支票"))) << said.toStdString();

    // The name is taken now; nobody is there to give another.
    said = Kestrio(open, &code);
    EXPECT_EQ(code, 1) << said.toStdString();
}

} // namespace
} // namespace kestrio
