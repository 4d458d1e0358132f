#include "StatChart.h"

#include "images/PictureFile.h"

#include <QBarCategoryAxis>
#include <QChartView>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>

namespace kestrio {

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kGridGrey(208, 208, 208);

QString TitleHtml(const QString& title)
{
    QString html = title.toHtmlEscaped();
    html.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
    return html;
}

} // namespace

StatChart::StatChart()
{
    legend()->hide();
    setBackgroundBrush(Qt::white);
    setBackgroundRoundness(0);
    QFont font = titleFont();
    font.setPointSizeF(font.pointSizeF() * 1.25);
    setTitleFont(font);
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
