#pragma once

#include "TextFileIO.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace kestrio {

class AppContext;
class DbOperate;
class Progress;
class Prompter;
class Recordset;

// A format travelling between installations: all its Fmt rows as one `.zhq` text file
// (GB18030, CR LF, the header line, the name line, one line per row) with its background
// image as the `.jpg` of the same base name beside it.
//
// The interactive entries ask and tell through the Prompter as the windows do; the direct
// entries (`…To`, `…As`) never ask, so the command line and downloads can use them.
class FormatExchange {
public:
    struct ImportResult {
        bool stored = false;
        QString name;        // the name the format was stored under
        bool openNow = false; // the user wants it opened as the current format at once
    };

    FormatExchange(QString applicationFolder, DbOperate& db, Prompter& prompter, Progress& progress);
    explicit FormatExchange(AppContext& app);

    // Called by ExportFmtFile when it is given no name: opens the format chooser and returns
    // the chosen name, empty for cancel. The chooser is a window, so the caller provides it.
    void SetFormatChooser(std::function<QString()> chooser) { mChooser = std::move(chooser); }

    // Asks for the file (save dialog), asks before overwriting, writes the file and the image
    // beside it and says so. True when the file was written.
    bool ExportFmtFile(const QString& name);
    // Writes the named format to `path` (".zhq" added when missing), replacing any file
    // there, without asking anything. Failures are shown; success is not. True when written.
    bool ExportFmtFileTo(const QString& name, const QString& path);

    // Asks for the file when `path` is empty, asks for another name while the name is taken,
    // and finally whether to open the new format at once.
    ImportResult ImportFmtFile(const QString& path);
    // Stores the file under `name` (empty: the file's base name) without asking anything; a
    // name that is taken is shown as such and nothing is stored.
    ImportResult ImportFmtFileAs(const QString& path, const QString& name = {});

    // The second line of a file: names without "支票" get "支票_" in front, because readers
    // accept only files whose name line holds it.
    static QString NameLine(const QString& formatName);
    // The file an export writes: ".zhq" is appended unless the path already ends in it, in
    // any case.
    static QString ExchangePath(const QString& chosenPath);
    // The background image that travels with the file at `exchangePath`.
    static QString ImagePathBeside(const QString& exchangePath);
    // The name a file is imported under: its base name, else the name line.
    static QString ImportName(const QString& path, const QString& nameLine);

private:
    struct Element;
    enum class Ask { Yes, No };

    std::optional<QString> ExchangeText(const QString& name);
    static bool ReadsBackAlike(const QString& text, const QString& name, Recordset& rows);
    bool WriteExchange(const QString& name, const QString& path, const QString& text);
    ImportResult Import(const QString& path, const QString& forcedName, Ask ask);
    std::optional<QStringList> ReadExchangeLines(const QString& path);
    static std::optional<QList<Element>> ParseElements(const QStringList& lines);
    std::optional<bool> NameInUse(const QString& name);
    std::optional<QString> FreeName(QString name, Ask ask);
    bool StoreFormat(const QString& name, const QList<Element>& elements);
    static bool Renumber(Recordset& rows, const QList<Element>& elements, QString* error);
    void CopyImageIn(const QString& path, const QString& name);

    QString mFolder;
    DbOperate& mDb;
    Prompter& mPrompter;
    Progress& mProgress;
    TextFileIO mFiles;
    std::function<QString()> mChooser;
};

} // namespace kestrio
