#pragma once

#include "FormatStore.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace kestrio {

class AppContext;
class DbOperate;
class ElementTable;
class Grid;
class Progress;
class Prompter;
class ScreenInfo;
class Workspace;

// The formats as wholes (module 格式列表 and the format commands of the main window):
// the list of formats, choosing the current one, saving, saving under another name, making
// a new format, deleting one, and the page size check. Everything that needs a window comes
// in through hooks, so the same steps run under the windows, the command line and the tests.
class FormatLibrary {
public:
    // What the windows add to the library's steps.
    struct Hooks {
        // The format list "选择/管理格式模板": the chosen name, empty for cancel.
        std::function<QString()> chooseFromList;
        // The chooser "请选择格式名称" in its format mode; `allowEdit` lets the user type a
        // name that is not listed. Returns the chosen name, empty for cancel.
        std::function<QString(bool allowEdit)> askFormatName;
        // "检查凭据外内容框": the check of all boxes against the page, before a save.
        std::function<void()> checkBoxes;
        // Keeps the present contents as the defaults of the current format.
        std::function<void()> storeDefaults;
        // Removes every element of the open format without asking (the table's data rows
        // are already gone when it is called; the window drops the boxes that showed them).
        std::function<void()> removeElements;
        // After a change of page size: size the canvas and rebuild the boxes with progress.
        std::function<void()> resizePage;
        // The steps of a load (canvas, rebuild, defaults).
        FormatStore::LoadHooks load;
        // After a chosen format is loaded and remembered: its defaults again, the automatic
        // filling of all text boxes and the five display options applied as if clicked.
        std::function<void()> afterChoose;
    };

    // The answers of the new-format questions.
    struct NewFormatAnswers {
        QString name;
        QString width;  // as typed, a non-zero number
        QString height;
    };

    FormatLibrary(QString applicationFolder, DbOperate& db, Prompter& prompter, Progress& progress,
                  const ScreenInfo& screen);
    explicit FormatLibrary(AppContext& app);

    void SetHooks(Hooks hooks) { mHooks = std::move(hooks); }
    Hooks& hooks() { return mHooks; }

    // Captions, titles and messages of the format commands.
    static QString ListCaption() { return QStringLiteral("选择/管理格式模板"); }
    static QString ChooserCaption() { return QStringLiteral("请选择格式名称"); }
    static QString NewFormatTitle() { return QStringLiteral("Kestrio支票-新建格式模板"); }

    // The library: the formats that have a whole-format row, in order of name.
    QStringList FormatNames();
    // The names containing `keyword` (case-sensitive, as the list's search); all for an empty
    // keyword.
    QStringList FormatNames(const QString& keyword);
    // What the chooser lists in its format mode: every distinct non-empty Fmt value, sorted.
    QStringList ChooserNames();
    // The chooser's other modes: one entry per element ("ID｜序号｜标签内容") and the kinds.
    static QStringList ControlEntries(const ElementTable& table);
    static QStringList KindEntries();
    // The chooser's answer from its edit text: trimmed of spaces, cut before the first "｜".
    static QString ChosenFromText(const QString& text);

    // The format list grid: ID, 序号, 选择, 格式名称, 宽(毫米), 高(毫米), filled with the
    // whole-format rows in order of name. The current format's row gets "√" in column 2 and is
    // returned (-1 when it is not listed); the window makes it current and colours it red.
    static QStringList FormatListColumnNames();
    static QStringList FormatListHeaders();
    static constexpr int kNumberColumn = 1;
    static constexpr int kMarkColumn = 2;
    static constexpr int kNameColumn = 3;
    int FillFormatList(Grid& grid, const QString& currentFormat);
    // The format rows by their names' pinyin, numbered anew.
    static void SortByPinyin(Grid& grid);
    // The search of a grid: from the row after `currentRow`, wrapping over all data rows
    // once, the first row with a cell in columns first..last that contains `keyword`
    // (case-sensitive). Returns the row, or -1 when none matched. An empty keyword shows
    // "请先输入关键词！".
    int FindInGrid(const Grid& grid, const QString& keyword, int firstColumn, int lastColumn, int currentRow);

    // Makes `name` current (an empty name is first asked for with the format list): stops on
    // an empty name and, unless forced, on the current name.
    // A different name first keeps the contents as the old format's defaults. True when the
    // format was loaded.
    bool ChooseFormat(Workspace& ws, const QString& name, bool force);

    // "保存格式": the box check, then the whole format under its own name.
    bool SaveCurrentFormat(Workspace& ws);
    // "另存格式": an empty name is asked for (typing allowed); a name in use is overwritten
    // only after "该格式已经存在，是否覆盖？". The new name becomes current.
    bool SaveFormatAs(Workspace& ws, const QString& name = {});

    // The questions of a new format: its name, then width and height until both are non-zero
    // numbers in a ratio between 1:20 and 20:1. nullopt when the user stops.
    std::optional<NewFormatAnswers> AskNewFormat(const Workspace& ws);
    // A new empty format of the asked name and size, saved as the current format; it keeps
    // the current offsets, options and (when it has none) background. True when saved.
    bool NewFormat(Workspace& ws);
    // The steps after the questions.
    bool MakeNewFormat(Workspace& ws, const NewFormatAnswers& answers);

    // Deletes a format's bills, column mapping and rows; its defaults and background stay.
    // An empty name is asked for (listed names only). The current format is refused with
    // "此格式为当前格式，不允许删除！". True when deleted.
    bool DeleteFormat(const QString& name, const QString& currentFormat);

    // The page size rule: width / height between 1/20 and 20 (a zero height has no ratio).
    static bool RatioAllowed(double width, double height);
    // "修改单据尺寸" OK: refuses a size outside the rule with
    // "单据的宽度与高度比例应为1：20到20：1之间！"; a different size goes into the workspace
    // and the page is resized. False when refused (the dialog stays open).
    bool ChangePageSize(Workspace& ws, const QString& width, const QString& height);

    FormatStore Store();

private:
    bool SaveAs(Workspace& ws, const QString& name, const std::function<void()>& storeDefaults,
                bool copyBackground = true);
    void RemoveUnusedBackground(const QString& deleted);
    std::optional<QString> AskSize(const QString& prompt, const QString& preset, const QString& zeroMessage);

    QString mFolder;
    DbOperate& mDb;
    Prompter& mPrompter;
    Progress& mProgress;
    const ScreenInfo& mScreen;
    Hooks mHooks;
};

} // namespace kestrio
