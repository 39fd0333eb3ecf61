// The three charts of the Plot page: their axes, the curves drawn over
// their plot areas, and the margins they share.
#include "plot_page.h"

#include "time_picture.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QGraphicsPathItem>
#include <QGraphicsRectItem>
#include <QLayout>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

// Room around each plot area for the legend above it, the value axes
// beside it and the time axis below it (with the date range under the last).
constexpr int MarginSide = 76;
constexpr int MarginTop = 30;
constexpr int MarginBottom = 22;
constexpr int MarginBottomTitled = 40;

// 1, 2 or 5 times a power of ten, at least `raw`.
double NiceStep(double raw)
{
    if (!(raw > 0))
        return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= raw * (1 - 1e-9))
            return m * power;
    }
    return 10 * power;
}

// The range an axis shows for its curves' points: a little beyond them, on
// round numbers.
void FitAxis(QValueAxis* axis, double lo, double hi)
{
    if (!(lo <= hi)) {
        lo = 0.0;
        hi = 1.0;
    }
    const double pad = hi > lo ? (hi - lo) * 0.05 : std::max(std::fabs(hi) * 0.05, 0.5);
    // Quantities that cannot go below zero keep zero as their floor.
    lo = lo >= 0.0 ? std::max(0.0, lo - pad) : lo - pad;
    hi += pad;
    // Rounded out to a nice step, as the axis would, but set once.
    const double step = NiceStep((hi - lo) / 4);
    lo = std::floor(lo / step) * step;
    hi = std::ceil(hi / step) * step;
    if (axis->min() != lo || axis->max() != hi)
        axis->setRange(lo, hi);
}

}  // namespace

QChartView* TPlotPage::MakeChart(const char* name)
{
    auto* chart = new QChart;
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setBackgroundRoundness(0);
    // The chart's own layout would move the plot area with the width of the
    // axis labels; the page places the plot area and the legend itself.
    chart->legend()->detachFromChart();
    chart->legend()->setBackgroundVisible(false);
    chart->setBackgroundVisible(false);
    QFont small = font();
    small.setPointSize(std::max(7, small.pointSize()));
    chart->legend()->setFont(small);

    auto* view = new QChartView(chart, ChartsArea_);
    view->setObjectName(QString::fromLatin1(name));
    view->setRenderHint(QPainter::Antialiasing, false);
    view->setBackgroundBrush(Qt::white);
    view->viewport()->installEventFilter(this);
    view->installEventFilter(this);
    ChartsArea_->layout()->addWidget(view);

    auto* time = new QCategoryAxis;
    time->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    time->setLabelsFont(small);
    chart->addAxis(time, Qt::AlignBottom);

    // The curves are drawn by path items of our own over the plot area,
    // clipped to it: a chart series works out an outline of its whole line
    // for the mouse at every change, which costs far more than the drawing.
    auto* area = new QGraphicsRectItem(chart);
    area->setPen(Qt::NoPen);
    area->setFlag(QGraphicsItem::ItemClipsChildrenToShape);
    area->setAcceptedMouseButtons(Qt::NoButton);
    area->setZValue(1000);
    const std::size_t index = Charts_.size();
    connect(chart, &QChart::plotAreaChanged, this, [this, index](const QRectF& plotArea) {
        Charts_[index].Area->setRect(plotArea);
        DrawCurves(index);
    });
    Charts_.push_back({view, time, area});
    return view;
}

QValueAxis* TPlotPage::AddAxis(QChartView* view, const QString& title, Qt::Alignment side)
{
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    QFont small = font();
    small.setPointSize(std::max(7, small.pointSize()));
    axis->setLabelsFont(small);
    axis->setTitleFont(small);
    axis->setLabelFormat(QStringLiteral("%.5g"));
    view->chart()->addAxis(axis, side);
    return axis;
}

void TPlotPage::AddCurve(QChartView* view, QValueAxis* axis, TPlotQuantity quantity, const QString& name,
                         const QColor& color, bool dashed)
{
    QPen pen(color);
    pen.setWidth(1);
    pen.setCosmetic(true);
    pen.setStyle(dashed ? Qt::DashLine : Qt::SolidLine);

    // A series without points gives the curve its legend entry.
    auto* legend = new QLineSeries;
    legend->setName(name);
    legend->setPen(pen);
    view->chart()->addSeries(legend);
    std::size_t chart = 0;
    while (Charts_[chart].View != view)
        ++chart;
    legend->attachAxis(Charts_[chart].TimeAxis);
    legend->attachAxis(axis);

    auto* path = new QGraphicsPathItem(Charts_[chart].Area);
    path->setPen(pen);
    path->setAcceptedMouseButtons(Qt::NoButton);
    Curves_.push_back({quantity, chart, axis, path, dashed, {}});
}

void TPlotPage::DrawCurves(std::size_t chart)
{
    const TChartParts& parts = Charts_[chart];
    const QRectF area = parts.View->chart()->plotArea();
    const double x0 = parts.TimeAxis->min();
    const double xScale = area.width() / std::max(parts.TimeAxis->max() - x0, 1e-12);
    for (TCurve& curve : Curves_) {
        if (curve.Chart != chart)
            continue;
        const double y0 = curve.Axis->min();
        const double yScale = area.height() / std::max(curve.Axis->max() - y0, 1e-300);
        // A plan holds its value until the next row says otherwise: its
        // curve runs in steps, where a measured one runs straight.
        QPainterPath path;
        bool first = true;
        for (const QPointF& p : curve.Points) {
            const QPointF at(area.left() + (p.x() - x0) * xScale, area.bottom() - (p.y() - y0) * yScale);
            if (first)
                path.moveTo(at);
            else if (curve.Planned)
                path.lineTo(at.x(), path.currentPosition().y());
            if (!first)
                path.lineTo(at);
            first = false;
        }
        curve.Path->setPath(path);
    }
}

void TPlotPage::PlaceChart(std::size_t chart, const QSize& size)
{
    // The same margins in every chart: a time is at the same place in all
    // three, and the plot area does not move when the labels of an axis get
    // wider.
    const int bottom = chart + 1 == Charts_.size() ? MarginBottomTitled : MarginBottom;
    QChart* c = Charts_[chart].View->chart();
    c->setPlotArea(QRectF(MarginSide, MarginTop, size.width() - 2 * MarginSide, size.height() - MarginTop - bottom));
    c->legend()->setGeometry(QRectF(MarginSide, 2, size.width() - 2 * MarginSide, MarginTop - 4));
    c->legend()->update();
}

void TPlotPage::SetTimeAxes(double from, double to, const std::vector<double>& marks)
{
    // Every change of an axis lays its chart out again: the marks are set
    // only when they change, which a view moving on rarely makes them do.
    if (marks != Marks_) {
        // A category axis needs labels that differ; a mark that repeats a
        // time of day (views longer than a day) is told apart by trailing
        // spaces, which do not show.
        QStringList labels;
        for (double mark : marks) {
            QString label = FormatDayCount(QStringLiteral("hh:nn"), mark);
            while (labels.contains(label))
                label += QLatin1Char(' ');
            labels << label;
        }
        for (const TChartParts& chart : Charts_) {
            QCategoryAxis* axis = chart.TimeAxis;
            for (const QString& old : axis->categoriesLabels())
                axis->remove(old);
            axis->setStartValue(Minutes(from));
            for (std::size_t m = 0; m < marks.size(); ++m)
                axis->append(labels[static_cast<int>(m)], Minutes(marks[m]));
        }
        Marks_ = marks;
    }
    for (const TChartParts& chart : Charts_) {
        chart.TimeAxis->setStartValue(Minutes(from));
        chart.TimeAxis->setRange(Minutes(from), Minutes(to));
    }
    const QString title = FormatDayCount(QStringLiteral("yyyy-mm-dd hh:nn"), from) + QStringLiteral(" to ")
        + FormatDayCount(QStringLiteral("yyyy-mm-dd hh:nn"), to);
    if (Charts_.back().TimeAxis->titleText() != title)
        Charts_.back().TimeAxis->setTitleText(title);
}

void TPlotPage::FitValueAxes(const TPlotData::TDecimated& points)
{
    struct TRange {
        QValueAxis* Axis;
        double Lo = INFINITY;
        double Hi = -INFINITY;
        double PlannedHi = -INFINITY;
    };
    std::vector<TRange> ranges;
    for (const TCurve& curve : Curves_) {
        auto range = std::find_if(ranges.begin(), ranges.end(), [&](const TRange& r) { return r.Axis == curve.Axis; });
        if (range == ranges.end())
            range = ranges.insert(ranges.end(), TRange{curve.Axis});
        for (const TPlotPoint& point : points[static_cast<int>(curve.Quantity)]) {
            range->Lo = std::min(range->Lo, point.y);
            range->Hi = std::max(range->Hi, point.y);
            if (curve.Planned)
                range->PlannedHi = std::max(range->PlannedHi, point.y);
        }
    }
    // An axis with a plan is scaled to it: the first seconds of a dilution
    // deliver far from it (a water pulse before much gas B has passed), and
    // would otherwise flatten the rest of the run.
    for (const TRange& r : ranges) {
        if (r.PlannedHi > 0)
            FitAxis(r.Axis, std::max(r.Lo, 0.0), std::min(r.Hi, 2 * r.PlannedHi));
        else
            FitAxis(r.Axis, r.Lo, r.Hi);
    }
}
