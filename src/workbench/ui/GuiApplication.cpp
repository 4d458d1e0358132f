#include "workbench/ui/GuiApplication.h"

#include "app/ui/GuiPrompter.h"
#include "app/ui/GuiScreenInfo.h"
#include "app/ui/ProgressWindow.h"
#include "workbench/ui/MainWindow.h"
#include "app/ui/PasswordPrompt.h"
#include "app/AppContext.h"
#include "app/FileHandOver.h"
#include "app/AppPaths.h"
#include "startup/StartupSequence.h"
#include "app/QtUserSettings.h"
#include "print/PrintFonts.h"
#include "seams/Clock.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include "app/ui/MissingTranslations.h"

#include <QTranslator>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <chrono>
#include <cstdio>
#include <memory>

#include <time.h>
#include <unistd.h>

namespace kestrio {

namespace {

// Taken during static initialisation, before main: the fallback start of the process.
const auto kFirstInitialisation = std::chrono::steady_clock::now();

// The kernel's record of when this process started, in milliseconds since boot; -1 where it
// cannot be read. It counts the loading of the libraries too, which the user waits for.
qint64 KernelStartMs()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray line = stat.readAll();
    // The command name may hold spaces; the fields after it are counted from its ')'.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    constexpr int kStartTimeField = 19; // field 22 of the line, counted after pid and name
    if (fields.size() <= kStartTimeField) return -1;
    const long ticks = sysconf(_SC_CLK_TCK);
    if (ticks <= 0) return -1;
    return fields[kStartTimeField].toLongLong() * 1000 / ticks;
}

qint64 BootTimeMs()
{
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1;
    return static_cast<qint64>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void UseChineseUiFont()
{
    const QString family = QStringLiteral("Noto Sans CJK SC");
    if (!QFontDatabase::families().contains(family)) return;
    QFont font = QApplication::font();
    font.setFamily(family);
    QApplication::setFont(font);
}

// The windows of one run: the password prompt first when a password is set, then the main
// window for as long as the program runs.
class Session {
public:
    Session(AppContext& app, bool probe) : mApp(app), mProbe(probe) {}

    void ShowPassword()
    {
        mPassword = std::make_unique<PasswordPrompt>(mApp);
        QObject::connect(mPassword.get(), &PasswordPrompt::PasswordAccepted, [this] { ShowMain(); });
        mPassword->show();
        if (mProbe) QTimer::singleShot(0, [] { QCoreApplication::exit(3); });
    }

    void ShowMain()
    {
        mMain = std::make_unique<MainWindow>(mApp);
        mMain->show();
        if (!mPendingFiles.isEmpty()) QTimer::singleShot(0, mMain.get(), [this] { ImportPendingFiles(); });
        if (mProbe) QTimer::singleShot(0, [] { ReportStartup(); });
    }

    // A .zhq file opened from the desktop: the main window imports it once it is shown, one
    // file after the other, since each import asks its own questions.
    void ImportFile(const QString& path)
    {
        mPendingFiles << path;
        if (mMain && !mImporting) QTimer::singleShot(0, mMain.get(), [this] { ImportPendingFiles(); });
    }

private:
    void ImportPendingFiles()
    {
        if (mImporting) return;
        mImporting = true;
        while (!mPendingFiles.isEmpty()) {
            mMain->raise();
            mMain->activateWindow();
            mMain->ImportFormatFile(mPendingFiles.takeFirst());
        }
        mImporting = false;
    }

    static void ReportStartup()
    {
        std::printf("startup-ms %lld\n", static_cast<long long>(GuiApplication::ProcessStartMs()));
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

    AppContext& mApp;
    bool mProbe;
    std::unique_ptr<PasswordPrompt> mPassword;
    std::unique_ptr<MainWindow> mMain;
    QStringList mPendingFiles;
    bool mImporting = false;
};

// Another program runs on the folder: it takes the file, and this one ends.
int HandOverTo(const AppPaths& paths, const QString& exchangeFile, Prompter& prompter)
{
    if (exchangeFile.isEmpty() || FileHandOver::Send(paths.Folder(), exchangeFile)) return 0;
    prompter.Message(QStringLiteral("程序已在运行，但没有接收格式文件：") + exchangeFile, Prompter::Icon::Warning);
    return 1;
}

} // namespace

qint64 GuiApplication::ProcessStartMs()
{
    const qint64 started = KernelStartMs();
    const qint64 now = BootTimeMs();
    if (started >= 0 && now >= started) return now - started;
    using std::chrono::milliseconds;
    return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - kFirstInitialisation).count();
}

void GuiApplication::RegisterFontSubstitutions()
{
    PrintFonts::RegisterSubstitutions();
}

bool GuiApplication::InstallChineseTranslations()
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool loaded = false;
    for (const char* name : {"qtbase", "qt"}) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(chinese, QString::fromLatin1(name), QStringLiteral("_"), folder) &&
            QCoreApplication::installTranslator(translator)) {
            loaded = true;
        } else {
            delete translator;
        }
    }
    // Asked first: the file dialogs' "Folder" and the like, which Qt's translation lacks.
    QCoreApplication::installTranslator(new MissingTranslations(QCoreApplication::instance()));
    return loaded;
}

int GuiApplication::Run(int& argc, char** argv, const QString& dataDir, bool startupProbe, const QString& exchangeFile)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(Name());
    QGuiApplication::setDesktopFileName(QStringLiteral(KESTRIO_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("kestrio")));
    RegisterFontSubstitutions();
    InstallChineseTranslations();
    UseChineseUiFont();

    const AppPaths paths = AppPaths::Resolve(dataDir, QCoreApplication::applicationDirPath());
    GuiPrompter prompter;
    SystemClock clock;
    ProgressWindow indicator(clock);
    QtUserSettings settings;
    GuiScreenInfo screen;
    AppContext app(paths, {prompter, indicator, settings, screen, clock});

    Session session(app, startupProbe);
    switch (StartupSequence::Start(app)) {
    case StartupSequence::Next::AnotherInstanceRuns: return HandOverTo(paths, exchangeFile, prompter);
    case StartupSequence::Next::AskPassword: session.ShowPassword(); break;
    case StartupSequence::Next::ShowMainWindow: session.ShowMain(); break;
    }
    FileHandOver handOver(paths.Folder());
    QObject::connect(&handOver, &FileHandOver::FileReceived, [&session](const QString& path) { session.ImportFile(path); });
    handOver.Listen();
    if (!exchangeFile.isEmpty()) session.ImportFile(exchangeFile);
    return QApplication::exec();
}

} // namespace kestrio
