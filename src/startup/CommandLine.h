#pragma once

#include <QStringList>
#include <QTextStream>

namespace kestrio {

class AppContext;
class ElementTable;
class Workspace;

// The program without windows: `kestrio [--data-dir DIR] <command> …`. Each command works
// on the same data as the windows; errors go to the error stream with a non-zero exit code.
class CommandLine {
public:
    // `arguments` are the command and its own arguments (options already taken off).
    static int Run(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err);
    static QString Usage();
    // An output file that could not be written whole; nothing is left under its name.
    static QString WriteFailedText(const QString& path);
    // One bill filled as a clerk fills it: the format with its defaults and dates (or history
    // record `record`), then each LABEL=VALUE typed into its box and the box left. Returns 0
    // or the exit code of the failure.
    static int PrepareBill(AppContext& app, const QString& name, const QList<QPair<QString, QString>>& values,
                           qint64 record, Workspace& ws, QTextStream& err);
    // The element table as the window shows it, header rows included, tab-separated.
    static void PrintElementTable(const ElementTable& table, QTextStream& out);

private:
    static int Formats(AppContext& app, QTextStream& out);
    static int Print(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err);
    static int Fill(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err);
    static int History(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err);
    static bool FormatExists(AppContext& app, const QString& name, QTextStream& err);
    // 1 (with every problem told) when the bill may not be stored; 0 when it may.
    static int RefusedByGate(const Workspace& ws, bool allowEmpty, QTextStream& err);
    static int ShowFormat(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err);
    static int Convert(AppContext& app, const QStringList& arguments, bool reverse, QTextStream& out, QTextStream& err);
    static int Sql(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err);
};

} // namespace kestrio
