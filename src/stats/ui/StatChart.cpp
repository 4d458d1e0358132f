#include "StatChart.h"

#include "images/PictureFile.h"

#include <QBarCategoryAxis>
#include <QChartView>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace kestrio {

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kGridGrey(208, 208, 208);

// The first title line is the heading.
QString TitleHtml(const QString& title)
{
    QStringList lines = title.toHtmlEscaped().split(QStringLiteral("\r\n"));
    if (!lines.isEmpty()) lines[0] = QStringLiteral("<b>") + lines[0] + QStringLiteral("</b>");
    return lines.join(QStringLiteral("<br>"));
}

// A step of 1, 2 or 5 × 10^n giving about five value lines up to `top`; whole bills for
// counts.
double ValueStep(double top, bool wholeNumbers)
{
    const double rough = top / 5;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double fraction = rough / power;
    const double step = (fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10) * power;
    return wholeNumbers ? std::max(1.0, std::round(step)) : step;
}

} // namespace

StatChart::StatChart()
{
    legend()->hide();
    setBackgroundBrush(Qt::white);
    setBackgroundRoundness(0);
    connect(this, &QChart::plotAreaChanged, this, &StatChart::PlaceValueLabels);
}

double StatChart::ScaleTop(double largest)
{
    return largest > 0 ? largest * 1.1 : 1.0;
}

void StatChart::Show(const StatResult& result)
{
    removeAllSeries();
    for (QAbstractAxis* axis : axes()) {
        removeAxis(axis);
        delete axis;
    }
    qDeleteAll(mLabels);
    mLabels.clear();
    mLine = nullptr;
    mMarks = nullptr;
    setTitle(QString());
    if (result.IsEmpty()) return;

    mLine = new QLineSeries(this);
    mLine->setPen(QPen(kRed, 1));
    mMarks = new QScatterSeries(this);
    mMarks->setColor(kRed);
    mMarks->setBorderColor(kRed);
    mMarks->setMarkerSize(7);
    auto* months = new QBarCategoryAxis(this);
    double largest = 0;
    double smallest = 0;
    for (int i = 0; i < result.months.size(); ++i) {
        const double value = result.Value(i);
        mLine->append(i, value);
        mMarks->append(i, value);
        months->append(result.MonthText(i));
        largest = std::max(largest, value);
        smallest = std::min(smallest, value);
        auto* label = new QGraphicsSimpleTextItem(result.ValueText(i), this);
        label->setBrush(kBlue);
        mLabels.append(label);
    }
    addSeries(mLine);
    addSeries(mMarks);

    auto* values = new QValueAxis(this);
    values->setRange(smallest < 0 ? smallest * 1.1 : 0, ScaleTop(largest));
    values->setTickType(QValueAxis::TicksDynamic);
    values->setTickAnchor(0);
    values->setTickInterval(ValueStep(values->max() - values->min(), !result.sums));
    values->setGridLinePen(QPen(kGridGrey, 1, Qt::DotLine));
    values->setLinePen(QPen(Qt::black, 1));
    values->setLabelFormat(result.sums ? QStringLiteral("%.2f") : QStringLiteral("%.0f"));
    months->setLinePen(QPen(Qt::black, 1));
    months->setGridLineVisible(false);
    addAxis(months, Qt::AlignBottom);
    addAxis(values, Qt::AlignLeft);
    for (QAbstractSeries* series : {static_cast<QAbstractSeries*>(mLine), static_cast<QAbstractSeries*>(mMarks)}) {
        series->attachAxis(months);
        series->attachAxis(values);
    }
    setTitle(TitleHtml(result.title));
    PlaceValueLabels();
}

// Each value sits centred just above its mark; the labels move with the plot area.
void StatChart::PlaceValueLabels()
{
    if (!mLine) return;
    for (int i = 0; i < mLabels.size(); ++i) {
        const QPointF mark = mapToPosition(mLine->at(i), mLine);
        const QRectF box = mLabels[i]->boundingRect();
        mLabels[i]->setPos(mark.x() - box.width() / 2, mark.y() - box.height() - 4);
    }
}

QImage StatChart::Render(const StatResult& result, QSize size)
{
    auto* chart = new StatChart;
    QChartView view(chart);
    view.setRenderHint(QPainter::Antialiasing);
    view.resize(size);
    chart->Show(result);
    view.grab(); // the first grab lays the chart out at the view's size
    return view.grab().toImage();
}

bool StatChart::WriteFile(const StatResult& result, const QString& path, QString* error)
{
    return PictureFile::Write(Render(result, QSize(1200, 700)), path, 80, error);
}

} // namespace kestrio
