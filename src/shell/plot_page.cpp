#include "plot_page.h"

#include "time_picture.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGraphicsPathItem>
#include <QGraphicsRectItem>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

constexpr double MinutesPerDay = 1440.0;
// The shortest view: at the start of a run the rows fill it from the left,
// as on a chart recorder, and the time axis has marks to show.
constexpr double ShortestViewDays = 5.0 / MinutesPerDay;
// Room around each plot area for the legend above it, the value axes
// beside it and the time axis below it (with the date range under the last).
constexpr int MarginSide = 76;
constexpr int MarginTop = 30;
constexpr int MarginBottom = 22;
constexpr int MarginBottomTitled = 40;
// Room kept to the right of the newest row, as a share of the view.
constexpr double ViewRoom = 0.1;
// About one time mark per this many pixels.
constexpr int PixelsPerMark = 80;

struct TSpan {
    const char* Caption;
    double Minutes;  // 0: the whole run
};
constexpr TSpan Spans[] = {
    {"Newest 10 minutes", 10},
    {"Newest hour", 60},
    {"Newest 8 hours", 480},
    {"Whole run", 0},
};
constexpr int DefaultSpan = 1;

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

} // namespace

TPlotPage::TPlotPage(QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    auto* bar = new QHBoxLayout;
    ComboBoxPlotSpan = new QComboBox(this);
    ComboBoxPlotSpan->setObjectName(QStringLiteral("ComboBoxPlotSpan"));
    for (const TSpan& span : Spans)
        ComboBoxPlotSpan->addItem(QString::fromLatin1(span.Caption));
    ComboBoxPlotSpan->setCurrentIndex(DefaultSpan);
    auto* spanLabel = new QLabel(QStringLiteral("Show"), this);
    spanLabel->setBuddy(ComboBoxPlotSpan);
    ComboBoxPlotSpan->setAccessibleName(QStringLiteral("Plot span"));
    bar->addWidget(spanLabel);
    bar->addWidget(ComboBoxPlotSpan);
    bar->addSpacing(16);
    bar->addWidget(new QLabel(QStringLiteral("A right click saves the plot as a PNG picture."), this));
    bar->addStretch(1);
    layout->addLayout(bar);

    ChartsArea_ = new QWidget(this);
    auto* charts = new QVBoxLayout(ChartsArea_);
    charts->setContentsMargins(0, 0, 0, 0);
    charts->setSpacing(0);
    layout->addWidget(ChartsArea_, 1);

    ChartViewPpm = MakeChart("ChartViewPpm");
    QValueAxis* ppmA = AddAxis(ChartViewPpm, QStringLiteral("Gas A (ppm)"), Qt::AlignLeft);
    QValueAxis* ppmW = AddAxis(ChartViewPpm, QStringLiteral("H2O (ppm)"), Qt::AlignRight);
    const QColor red(200, 30, 30);
    const QColor teal(0, 120, 150);
    const QColor blue(40, 60, 200);
    AddCurve(ChartViewPpm, ppmA, TPlotQuantity::PpmA, QStringLiteral("Gas A delivered"), red, false);
    AddCurve(ChartViewPpm, ppmA, TPlotQuantity::PlannedPpmA, QStringLiteral("Gas A planned"), red, true);
    AddCurve(ChartViewPpm, ppmW, TPlotQuantity::PpmH2O, QStringLiteral("H2O delivered"), teal, false);
    AddCurve(ChartViewPpm, ppmW, TPlotQuantity::PlannedPpmH2O, QStringLiteral("H2O planned"), teal, true);

    ChartViewFlow = MakeChart("ChartViewFlow");
    QValueAxis* flowA = AddAxis(ChartViewFlow, QStringLiteral("Gas A (g/min)"), Qt::AlignLeft);
    QValueAxis* flowB = AddAxis(ChartViewFlow, QStringLiteral("Gas B (g/min)"), Qt::AlignRight);
    AddCurve(ChartViewFlow, flowA, TPlotQuantity::FlowA, QStringLiteral("Flow of gas A"), red, false);
    AddCurve(ChartViewFlow, flowB, TPlotQuantity::FlowB, QStringLiteral("Flow of gas B"), blue, false);

    ChartViewBubbler = MakeChart("ChartViewBubbler");
    QValueAxis* celsius = AddAxis(ChartViewBubbler, QStringLiteral("Bubbler (\u00b0C)"), Qt::AlignLeft);
    AddCurve(ChartViewBubbler, celsius, TPlotQuantity::BubblerC, QStringLiteral("Bubbler temperature"),
             QColor(220, 120, 0), false);
    // The same width of axes on both sides keeps the three time axes aligned.
    QValueAxis* spare = AddAxis(ChartViewBubbler, QString(), Qt::AlignRight);
    spare->setLabelsVisible(false);
    spare->setGridLineVisible(false);

    RedrawTimer_ = new QTimer(this);
    RedrawTimer_->setSingleShot(true);
    RedrawTimer_->setInterval(0);
    connect(RedrawTimer_, &QTimer::timeout, this, &TPlotPage::Redraw);
    connect(ComboBoxPlotSpan, &QComboBox::currentIndexChanged, this, [this] { RedrawSoon(); });
}

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

const QList<QPointF>& TPlotPage::Points(TPlotQuantity quantity) const
{
    for (const TCurve& curve : Curves_) {
        if (curve.Quantity == quantity)
            return curve.Points;
    }
    static const QList<QPointF> none;
    return none;
}

void TPlotPage::AppendSample(const TPlotSample& sample)
{
    Data_.Append(sample);
    RedrawSoon();
}

void TPlotPage::RedrawSoon()
{
    // A pending redraw is not put off again: rows arriving at every tick
    // (water pulses) would otherwise keep it waiting for ever.
    if (!isVisible())
        Stale_ = true;
    else if (!RedrawTimer_->isActive())
        RedrawTimer_->start();
}

void TPlotPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (Stale_ && !RedrawTimer_->isActive())
        RedrawTimer_->start();
}

void TPlotPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    RedrawSoon();
}

int TPlotPage::Columns() const
{
    const double plotWidth = ChartViewPpm->chart()->plotArea().width();
    const int columns = plotWidth > 0 ? static_cast<int>(plotWidth) : ChartViewPpm->width() - 120;
    return std::max(columns, 16);
}

void TPlotPage::Redraw()
{
    Stale_ = false;
    if (Data_.Size() == 0)
        return;

    // The view keeps some room to the right of the newest row and moves on
    // only when the rows reach its edge: the axes then stay as they are for
    // most rows, and only the curves are drawn again.
    const int spanIndex = std::max(0, ComboBoxPlotSpan->currentIndex());
    const TSpan& span = Spans[spanIndex];
    const double first = Data_.FirstTime();
    const double last = Data_.LastTime();
    const bool whole = span.Minutes <= 0;
    if (spanIndex != ViewSpan_ || last > ViewTo_ || (whole && ViewFrom_ != first)) {
        const double width = whole ? std::max(last - first, ShortestViewDays) : span.Minutes / MinutesPerDay;
        ViewTo_ = last + width * ViewRoom;
        // A view of the newest rows starts no earlier than the first row.
        ViewFrom_ = whole ? first : std::max(first, ViewTo_ - width);
        ViewTo_ = std::max(ViewTo_, ViewFrom_ + ShortestViewDays);
        ViewSpan_ = spanIndex;
    }
    const double from = ViewFrom_;
    const double to = ViewTo_;
    // The charts count minutes from the first row's midnight: a mark keeps
    // its place while the view moves on, so the axis keeps its labels.
    const double origin = std::floor(Data_.FirstTime());
    auto minutes = [origin](double day) { return (day - origin) * MinutesPerDay; };

    // The axes first, each changed only where it must: every change of an
    // axis lays its chart out again.
    const int columns = Columns();
    const std::vector<double> marks = PlotTimeMarks(from, to, std::max(2, columns / PixelsPerMark));
    if (marks != Marks_ || origin != Origin_) {
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
            axis->setStartValue(minutes(from));
            for (std::size_t m = 0; m < marks.size(); ++m)
                axis->append(labels[static_cast<int>(m)], minutes(marks[m]));
        }
        Marks_ = marks;
        Origin_ = origin;
    }
    for (const TChartParts& chart : Charts_) {
        chart.TimeAxis->setStartValue(minutes(from));
        chart.TimeAxis->setRange(minutes(from), minutes(to));
    }
    const QString title = FormatDayCount(QStringLiteral("yyyy-mm-dd hh:nn"), from) + QStringLiteral(" to ")
                          + FormatDayCount(QStringLiteral("yyyy-mm-dd hh:nn"), to);
    if (Charts_.back().TimeAxis->titleText() != title)
        Charts_.back().TimeAxis->setTitleText(title);

    // The values' axes from the points they are to show.
    const TPlotData::TDecimated points = Data_.Decimate(from, to, columns);
    struct TRange {
        double Lo = INFINITY;
        double Hi = -INFINITY;
        double PlannedHi = -INFINITY;
    };
    std::vector<std::pair<QValueAxis*, TRange>> ranges;
    for (const TCurve& curve : Curves_) {
        auto found = std::find_if(ranges.begin(), ranges.end(), [&](const auto& r) { return r.first == curve.Axis; });
        if (found == ranges.end()) {
            ranges.push_back({curve.Axis, TRange{}});
            found = ranges.end() - 1;
        }
        TRange& range = found->second;
        for (const TPlotPoint& point : points[static_cast<int>(curve.Quantity)]) {
            range.Lo = std::min(range.Lo, point.y);
            range.Hi = std::max(range.Hi, point.y);
            if (curve.Planned)
                range.PlannedHi = std::max(range.PlannedHi, point.y);
        }
    }
    // An axis with a plan is scaled to it: the first seconds of a dilution
    // deliver far from it (a water pulse before much gas B has passed), and
    // would otherwise flatten the rest of the run.
    for (const auto& [axis, range] : ranges) {
        if (range.PlannedHi > 0)
            FitAxis(axis, std::max(range.Lo, 0.0), std::min(range.Hi, 2 * range.PlannedHi));
        else
            FitAxis(axis, range.Lo, range.Hi);
    }

    // Then the curves.
    for (TCurve& curve : Curves_) {
        const std::vector<TPlotPoint>& p = points[static_cast<int>(curve.Quantity)];
        curve.Points.clear();
        curve.Points.reserve(static_cast<qsizetype>(p.size()));
        for (const TPlotPoint& point : p)
            curve.Points.append(QPointF(minutes(point.x), point.y));
    }
    for (std::size_t chart = 0; chart < Charts_.size(); ++chart)
        DrawCurves(chart);
}

bool TPlotPage::SavePng(const QString& path)
{
    return ChartsArea_->grab().save(path, "PNG");
}

bool TPlotPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        // The same margins in every chart: a time is at the same place in
        // all three, and the plot area does not move when the labels of an
        // axis get wider.
        for (std::size_t c = 0; c < Charts_.size(); ++c) {
            if (Charts_[c].View != watched)
                continue;
            const QSize size = static_cast<QResizeEvent*>(event)->size();
            const int bottom = c + 1 == Charts_.size() ? MarginBottomTitled : MarginBottom;
            QChart* chart = Charts_[c].View->chart();
            chart->setPlotArea(
                QRectF(MarginSide, MarginTop, size.width() - 2 * MarginSide, size.height() - MarginTop - bottom));
            chart->legend()->setGeometry(QRectF(MarginSide, 2, size.width() - 2 * MarginSide, MarginTop - 4));
            chart->legend()->update();
        }
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() != QEvent::MouseButtonPress)
        return QWidget::eventFilter(watched, event);
    const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
    if (OnMouseDown)
        OnMouseDown(button);
    return button == Qt::RightButton;
}
