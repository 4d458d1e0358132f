#include "workbench/ui/GuiApplication.h"

#include "app/ui/GuiPrompter.h"
#include "app/ui/GuiScreenInfo.h"
#include "app/ui/ProgressWindow.h"
#include "workbench/ui/MainWindow.h"
#include "app/ui/PasswordPrompt.h"
#include "app/AppContext.h"
#include "app/AppPaths.h"
#include "startup/StartupSequence.h"
#include "app/QtUserSettings.h"
#include "seams/Clock.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QTimer>

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

// Qt keeps substitutes in lower case; a name already mapped is left alone.
void Substitute(const QString& name, const QString& family)
{
    if (!QFont::substitutes(name).contains(family, Qt::CaseInsensitive)) QFont::insertSubstitution(name, family);
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
        if (mProbe) QTimer::singleShot(0, [] { ReportStartup(); });
    }

private:
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
};

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
    const QString serif = QStringLiteral("Noto Serif CJK SC");
    const QString sans = QStringLiteral("Noto Sans CJK SC");
    for (const char16_t* name : {u"宋体", u"新宋体", u"仿宋", u"楷体"}) Substitute(QString::fromUtf16(name), serif);
    for (const char16_t* name : {u"黑体", u"微软雅黑"}) Substitute(QString::fromUtf16(name), sans);
}

int GuiApplication::Run(int& argc, char** argv, const QString& dataDir, bool startupProbe)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(Name());
    RegisterFontSubstitutions();
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
    case StartupSequence::Next::AnotherInstanceRuns: return 0;
    case StartupSequence::Next::AskPassword: session.ShowPassword(); break;
    case StartupSequence::Next::ShowMainWindow: session.ShowMain(); break;
    }
    return QApplication::exec();
}

} // namespace kestrio
