#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

namespace kestrio {

class DbOperate;

// The named parameters in table 参数: one row per name (Var) with its text value (Con).
// Reading and updating use the first row of a name; a missing name reads as empty.
class Params {
public:
    explicit Params(DbOperate& db) : mDb(db) {}

    QString GetParam(const QString& name);
    // False when the value could not be stored.
    bool SetParam(const QString& name, const QString& value);

    // Window places are kept as "left;top;width;height" in twips under the window's key text
    // followed by "窗口参数：". "0;0;0;0" keeps the designed place.
    struct WindowPlace {
        bool move = false;
        int left = 0;
        int top = 0;
        bool resize = false;
        int width = 0;
        int height = 0;
    };
    static QString WindowPlaceName(const QString& key) { return key + QStringLiteral("窗口参数："); }
    // `placeTwips` is the window's place; a window at least as wide as the screen (maximised)
    // is stored as "0;0;0;0".
    bool SaveWindowPlace(const QString& key, const QRect& placeTwips, int screenWidthTwips);
    WindowPlace RestoreWindowPlace(const QString& key, int screenWidthTwips, int screenHeightTwips);
    static WindowPlace ParseWindowPlace(const QString& value, int screenWidthTwips, int screenHeightTwips);

    // Drop-down keyword lists, kept as entries joined by "||" with the edited text first.
    QStringList LoadKeywordList(const QString& name);
    bool SaveKeywordList(const QString& name, const QString& editText, const QStringList& entries);

private:
    DbOperate& mDb;
};

} // namespace kestrio
