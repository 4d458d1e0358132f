// Picks the windows or the command line; nothing else happens here.
#include "app/AppContext.h"
#include "startup/CommandLine.h"
#include "startup/OpenedExchangeFile.h"
#include "app/ConsolePrompter.h"
#include "app/QtUserSettings.h"
#include "workbench/ui/GuiApplication.h"
#include "print/ui/PrinterDestination.h"
#include "startup/BatchCommands.h"
#include "seams/Clock.h"
#include "seams/Progress.h"
#include "seams/ScreenInfo.h"
#include "startup/StatsCommands.h"
#include "stats/ui/StatChart.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QPrinter>
#include <QTextStream>

#include <csignal>

#include <sys/stat.h>
#include <cstdio>
#include <memory>

namespace {

struct Options {
    QString dataDir;
    bool startupProbe = false;
    QDate today;
    QStringList command;
    QString error;
};

Options ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        // --today may also follow the command ("kestrio batch … --today D").
        if (!options.command.isEmpty() && arg != QLatin1String("--today")) {
            options.command << arg;
        } else if (arg == QLatin1String("--data-dir")) {
            if (i + 1 >= argc) options.error = QStringLiteral("--data-dir 需要一个目录。");
            else options.dataDir = QString::fromLocal8Bit(argv[++i]);
        } else if (arg.startsWith(QLatin1String("--data-dir="))) {
            options.dataDir = arg.mid(11);
        } else if (arg == QLatin1String("--today")) {
            options.today = i + 1 < argc ? QDate::fromString(QString::fromLocal8Bit(argv[++i]), Qt::ISODate) : QDate();
            if (!options.today.isValid()) options.error = QStringLiteral("--today 需要 YYYY-MM-DD 形式的日期。");
        } else if (arg == QLatin1String("--startup-probe")) {
            options.startupProbe = true;
        } else {
            options.command << arg;
        }
    }
    return options;
}


} // namespace

int main(int argc, char** argv)
{
    // Beyond a file-size limit a write must fail and be reported, not end the program with
    // the file half-written.
    std::signal(SIGXFSZ, SIG_IGN);
    // Every file and folder this program makes is its user's alone unless made otherwise.
    ::umask(077);
    const Options options = ParseOptions(argc, argv);
    if (!options.error.isEmpty()) {
        QTextStream(stderr) << options.error << Qt::endl;
        return 2;
    }
    if (options.command.isEmpty()) return kestrio::GuiApplication::Run(argc, argv, options.dataDir, options.startupProbe);
    // The help needs neither the data nor the toolkit; the manual page is made from it at build time.
    if (options.command == QStringList{QStringLiteral("help")} || options.command == QStringList{QStringLiteral("--help")}) {
        QTextStream(stdout) << kestrio::CommandLine::Usage();
        return 0;
    }
    // A .zhq file opened from the desktop goes to the windows, which ask the import questions.
    const QString exchangeFile = kestrio::OpenedExchangeFile::PathIn(options.command);
    if (!exchangeFile.isEmpty() && kestrio::OpenedExchangeFile::HasDisplay(QProcessEnvironment::systemEnvironment()))
        return kestrio::GuiApplication::Run(argc, argv, options.dataDir, options.startupProbe, exchangeFile);

    // Commands never show a window, but drawing text (the pictures of the demo formats made
    // on a first start) needs the font database of a GUI application. The toolkit's own
    // notes about its environment would mix with the command's output on the error stream.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg) QTextStream(stderr) << message << Qt::endl;
    });
    // The statistics chart is a widget scene: drawing it needs the widgets' application.
    const bool drawsChart = options.command.value(0) == QLatin1String("stats") &&
                            options.command.contains(QStringLiteral("--chart"));
    std::unique_ptr<QGuiApplication> application;
    if (drawsChart) application = std::make_unique<QApplication>(argc, argv);
    else application = std::make_unique<QGuiApplication>(argc, argv);
    kestrio::StatsCommands::SetChartWriter(&kestrio::StatChart::WriteFile);
    // The same per-user data folder as the windows use.
    QCoreApplication::setApplicationName(kestrio::GuiApplication::Name());
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto paths = kestrio::AppPaths::Resolve(options.dataDir, QCoreApplication::applicationDirPath());
    kestrio::ConsolePrompter prompter(err);
    kestrio::SilentProgress progress;
    kestrio::QtUserSettings settings;
    kestrio::FixedScreenInfo screen;
    std::unique_ptr<kestrio::Clock> clock;
    if (options.today.isValid())
        clock = std::make_unique<kestrio::FixedClock>(QDateTime(options.today, QTime::currentTime()));
    else
        clock = std::make_unique<kestrio::SystemClock>();
    kestrio::AppContext app(paths, {prompter, progress, settings, screen, *clock});
    // `batch --print [PRINTER]`: the named printer (or the remembered one) without a dialog.
    kestrio::BatchCommands::SetPrinterFactory([&](const QString& name) {
        auto destination = std::make_unique<kestrio::PrinterDestination>(prompter, settings);
        destination->SetDialogRunner([name](QPrinter& printer) {
            if (!name.isEmpty()) printer.setPrinterName(name);
            return printer.isValid() && (name.isEmpty() || printer.printerName() == name);
        });
        return std::unique_ptr<kestrio::PrintDestination>(std::move(destination));
    });
    const int code = kestrio::CommandLine::Run(app, options.command, out, err);
    out.flush();
    err.flush();
    return code;
}
