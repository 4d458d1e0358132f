#pragma once

#include <QStringList>
#include <QTextStream>

#include <functional>

namespace kestrio {

class AppContext;
struct StatResult;

// `kestrio stats --format NAME --from D --to D (--count | --sum LABEL) (--date LABEL |
// --ymd YEAR,MONTH,DAY) [--where LABEL=VALUE] [--csv OUT.csv | --xlsx OUT.xlsx]
// [--chart OUT.jpg|OUT.png]`: the month rows of a statistic, tab-separated, or written as a
// table, and the chart drawn offscreen. Exit code 1 for failures, 2 for wrong usage.
class StatsCommands {
public:
    // Draws the chart of a result into a picture file; the windows layer supplies it, since
    // the chart is the window's own.
    using ChartWriter = std::function<bool(const StatResult& result, const QString& path, QString* error)>;
    static void SetChartWriter(ChartWriter writer);

    static int Stats(AppContext& app, const QStringList& args, QTextStream& out, QTextStream& err);
    static QString Usage();
};

} // namespace kestrio
