#pragma once

#include <QStringList>
#include <QTextStream>

#include <chrono>
#include <optional>

namespace kestrio {

class AppContext;

// The web catalogue on the command line: the server an office runs (`catalogue-server`,
// `publish-format`), the client side (`catalogue`, `check-update`) and `set-parameter`, with
// which the server's address is set. Exit code 1 for failures, 2 for wrong usage.
class WebCommands {
public:
    static int CatalogueServer(const QStringList& args, QTextStream& out, QTextStream& err);
    static int PublishFormat(AppContext& app, const QStringList& args, QTextStream& out, QTextStream& err);
    static int Catalogue(AppContext& app, const QStringList& args, QTextStream& out, QTextStream& err);
    static int CheckUpdate(AppContext& app, const QStringList& args, QTextStream& out, QTextStream& err);
    static int SetParameter(AppContext& app, const QStringList& args, QTextStream& out, QTextStream& err);

private:
    static int PrintCatalogue(AppContext& app, QTextStream& out);
    static int DownloadFormat(AppContext& app, const QString& name, const QString& as,
                              std::optional<std::chrono::milliseconds> timeLimit, QTextStream& out, QTextStream& err);
};

} // namespace kestrio
