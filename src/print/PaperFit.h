#pragma once

#include <QList>
#include <QMarginsF>
#include <QSizeF>
#include <QString>

namespace kestrio {

class Workspace;

// Whether a bill, moved by its print offsets, lands whole on the paper in the printer: every
// box that prints something must lie on the page and clear of the edges the printer cannot
// print on. Otherwise part of a cheque is silently lost.
class PaperFit {
public:
    // Rows of the boxes that print outside. `offsetXMm`, `offsetYMm` are the format's print
    // offsets (positive: right and down); `pageMm` is the paper as printed (turned when the
    // format prints turned); `unprintableMm` the printer's edges it cannot reach.
    static QList<int> RowsOutside(const Workspace& ws, double offsetXMm, double offsetYMm, const QSizeF& pageMm,
                                  const QMarginsF& unprintableMm);

    // How a box is named to the user: its label, else its kind and number.
    static QString BoxName(const Workspace& ws, int row);
    // The names of the rows, "、" between them; the first `shown` and a count of the rest.
    static QString BoxNames(const Workspace& ws, const QList<int>& rows, int shown = 12);

    // The question before printing: which boxes fall outside, and whether to set the paper to
    // the format's size (`offerPaper`) or, where it is the format's already, to print anyway.
    static QString Question(const Workspace& ws, const QList<int>& rows, const QSizeF& pageMm, bool offerPaper);
};

} // namespace kestrio
