#pragma once

#include <QString>

#include <functional>

namespace kestrio {

class DbOperate;
class Prompter;
class ElementTable;
class Recordset;
class Progress;
class ScreenInfo;
class Workspace;

// Loading a format from table Fmt into the open Workspace and saving it back: the
// whole-format row (page size, offsets, options, the screen width of the save), the element
// rows, and the last-format row that remembers the format shown last.
class FormatStore {
public:
    static QString WholeFormatLabel() { return QStringLiteral("【§单据整体格式参数§】"); }

    FormatStore(DbOperate& db, Progress& progress, const ScreenInfo& screen)
        : mDb(db), mProgress(progress), mScreen(screen)
    {
    }

    // What the windows do at the steps of a load: size the canvas to the page, rebuild the
    // boxes from the table, put the format's defaults into the boxes.
    struct LoadHooks {
        std::function<void()> sizeCanvas;
        std::function<void()> rebuildElements;
        std::function<void()> loadDefaults;
    };
    void LoadFormat(Workspace& ws, const QString& name, const LoadHooks& hooks = {});
    // False when the format has no whole-format row; then nothing changes.
    bool LoadWholeFormat(Workspace& ws, const QString& name);
    void FillElementTable(Workspace& ws, const QString& name);

    // Writes the table and the whole-format row under `name` (empty: the current format) in
    // one transaction; new elements get their IDs and every reference follows them.
    // All or nothing; on failure the workspace is as it was and LastError() tells why.
    bool SaveFormat(Workspace& ws, const QString& name = {});
    const QString& LastError() const { return mLastError; }
    static QString SaveFailedText() { return QStringLiteral("格式保存失败！"); }
    // Saves the open format under `name` and makes it the current format: its background is
    // copied when the new name has none (unless `copyBackground` is false: a new format starts
    // blank), `storeDefaults` keeps the present contents as the old format's defaults, and a
    // name in use is overwritten only when the user says so.
    bool SaveFormatAs(Workspace& ws, const QString& name, Prompter& prompter, const QString& applicationFolder,
                      const std::function<void()>& storeDefaults = {}, bool copyBackground = true);
    bool SaveWholeFormat(const Workspace& ws, const QString& width, const QString& height, const QString& x,
                         const QString& y, const QString& name = {});

    // Only the print settings of the open format: its offsets and its option string, written
    // into its whole-format row at once (the rest of the design waits for a save).
    bool StorePrintSettings(const Workspace& ws);

    // The format shown last; also restores option boxes 0–2 kept with it.
    QString ReadLastFormat(Workspace& ws);
    bool RememberLastFormat(const Workspace& ws, const QString& name = {});

    // True when any row of table Fmt carries the name.
    bool FormatExists(const QString& name);

    // 1 on the screen of the save; else (screen − 340) / (saved − 340), a saved width of 0
    // counting as 15360 twips.
    static double DisplayScale(int savedScreenTwips, int screenTwips);
    // 10 − value, written plainly (offsets are kept as 10 minus the shown value).
    static QString TenMinus(const QString& text);

private:
    void LoadFixedTexts(Workspace& ws, const QString& name);
    bool WriteElements(Workspace& ws, const QString& name);
    bool WriteReferences(const ElementTable& table, Recordset& q);

    DbOperate& mDb;
    Progress& mProgress;
    const ScreenInfo& mScreen;
    QString mLastError;
};

} // namespace kestrio
