#pragma once

#include "ElementTable.h"

#include <QHash>
#include <QString>

#include <array>

namespace kestrio {

// The open format as one object: page size, print offsets, options, display scale, the
// element table and the contents of every box. The main window binds its widgets to it;
// loading, saving, calculation, history and printing all work on it, so a bill can be filled
// and printed with no window at all.
class Workspace {
public:
    // The current format's name (the caption LFMT).
    QString formatName;
    // Page size in mm and print offsets in mm, kept as the texts the window shows.
    QString widthText = QStringLiteral("180");
    QString heightText = QStringLiteral("50");
    QString offsetXText = QStringLiteral("0");
    QString offsetYText = QStringLiteral("0");
    // Menu ticks 自动设置纸张, 连同底图打印, 打印标尺坐标 and the five option boxes O2 (0, 1, 2).
    bool setPaper = false;
    bool backgroundPrint = false;
    bool printRulers = false;
    std::array<int, 5> options{};
    // Font sizes and line widths in the table are relative to the screen of the last save.
    double displayScale = 1;
    // The text that stands for a line break in stored contents.
    QString lineBreakMarker = QStringLiteral("//");

    ElementTable table;

    double Width() const;
    double Height() const;

    // "True|False|1|0|0|0|1|False|": the ticks and options as the whole-format row keeps them.
    QString OptionString() const;
    // Applies a stored option string; fewer than eight fields change nothing.
    bool ApplyOptionString(const QString& text);

    // The content of the box in table row `row` as history, defaults and batch rows keep it.
    QString GetBoxContent(int row) const;
    void SetBoxContent(int row, const QString& text);
    // The text as the box shows it (text boxes: line breaks as CR LF).
    QString BoxText(int row) const;
    void SetBoxText(int row, const QString& text);
    void ClearContents() { mContents.clear(); }
    // After a save gave an element its database ID.
    void RenameContent(qint64 oldId, qint64 newId);

private:
    QHash<qint64, QString> mContents; // by element ID
};

} // namespace kestrio
