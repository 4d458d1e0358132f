#pragma once

#include "stats/StatResult.h"

#include <QChart>
#include <QImage>
#include <QList>
#include <QSize>

class QGraphicsSimpleTextItem;
class QLineSeries;
class QScatterSeries;

namespace kestrio {

// The chart of a statistic: the month values as a red line with a mark per month and each
// value written in blue above its mark, the months along the time axis, dotted light-grey
// value lines on a scale reaching 1.1 × the largest value, and the title lines above. The
// window shows it and the command line draws the same chart into a file.
class StatChart : public QChart {
    Q_OBJECT
public:
    StatChart();

    // Shows `result`; an empty result clears the chart. A single month is a single mark.
    void Show(const StatResult& result);
    // The upper end of the value scale for values up to `largest`.
    static double ScaleTop(double largest);

    // The chart of `result` drawn offscreen at `size` pixels.
    static QImage Render(const StatResult& result, QSize size);
    // Render into a picture file (JPEG, or PNG for a ".png" name), written atomically.
    static bool WriteFile(const StatResult& result, const QString& path, QString* error);

private:
    void PlaceValueLabels();

    QLineSeries* mLine = nullptr;
    QScatterSeries* mMarks = nullptr;
    QList<QGraphicsSimpleTextItem*> mLabels;
};

} // namespace kestrio
