#include "plot_page.h"

#include "time_picture.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
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
    axis->setRange(lo >= 0.0 ? std::max(0.0, lo - pad) : lo - pad, hi + pad);
    axis->applyNiceNumbers();
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
    chart->legend()->setAlignment(Qt::AlignTop);
    QFont small = font();
    small.setPointSize(std::max(7, small.pointSize()));
    chart->legend()->setFont(small);

    auto* view = new QChartView(chart, ChartsArea_);
    view->setObjectName(QString::fromLatin1(name));
    view->setRenderHint(QPainter::Antialiasing, false);
    view->viewport()->installEventFilter(this);
    ChartsArea_->layout()->addWidget(view);

    auto* time = new QCategoryAxis;
    time->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    time->setLabelsFont(small);
    chart->addAxis(time, Qt::AlignBottom);
    Charts_.push_back({view, time, {}});
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
    axis->setLabelFormat(QStringLiteral("%.4g"));
    view->chart()->addAxis(axis, side);
    for (TChartParts& parts : Charts_) {
        if (parts.View == view)
            parts.Axes.push_back(axis);
    }
    return axis;
}

void TPlotPage::AddCurve(QChartView* view, QValueAxis* axis, TPlotQuantity quantity, const QString& name,
                         const QColor& color, bool dashed)
{
    auto* series = new QLineSeries;
    series->setName(name);
    QPen pen(color);
    pen.setWidth(dashed ? 1 : 2);
    pen.setStyle(dashed ? Qt::DashLine : Qt::SolidLine);
    series->setPen(pen);
    view->chart()->addSeries(series);
    for (const TChartParts& parts : Charts_) {
        if (parts.View == view)
            series->attachAxis(parts.TimeAxis);
    }
    series->attachAxis(axis);
    Curves_.push_back({quantity, series, axis, dashed});
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

    const TSpan& span = Spans[std::max(0, ComboBoxPlotSpan->currentIndex())];
    const double last = Data_.LastTime();
    // A view of the newest rows starts no earlier than the first row.
    const double from =
        span.Minutes > 0 ? std::max(Data_.FirstTime(), last - span.Minutes / MinutesPerDay) : Data_.FirstTime();
    const double to = std::max(last, from + ShortestViewDays);
    ViewFrom_ = from;
    ViewTo_ = to;

    // Each curve, in minutes from the left edge.
    const int columns = Columns();
    const TPlotData::TDecimated points = Data_.Decimate(from, to, columns);
    struct TRange {
        double Lo = INFINITY;
        double Hi = -INFINITY;
        double PlannedHi = -INFINITY;
    };
    std::vector<std::pair<QValueAxis*, TRange>> ranges;
    for (const TCurve& curve : Curves_) {
        const std::vector<TPlotPoint>& p = points[static_cast<int>(curve.Quantity)];
        QList<QPointF> list;
        list.reserve(static_cast<qsizetype>(p.size()));
        auto found = std::find_if(ranges.begin(), ranges.end(), [&](const auto& r) { return r.first == curve.Axis; });
        if (found == ranges.end()) {
            ranges.push_back({curve.Axis, TRange{}});
            found = ranges.end() - 1;
        }
        TRange& range = found->second;
        for (const TPlotPoint& point : p) {
            list.append(QPointF((point.x - from) * MinutesPerDay, point.y));
            range.Lo = std::min(range.Lo, point.y);
            range.Hi = std::max(range.Hi, point.y);
            if (curve.Planned)
                range.PlannedHi = std::max(range.PlannedHi, point.y);
        }
        curve.Series->replace(list);
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

    // The time marks on round minutes, as hh:mm. A category axis needs
    // labels that differ; a mark that repeats a time of day (views longer
    // than a day) is told apart by trailing spaces, which do not show.
    const std::vector<double> marks = PlotTimeMarks(from, to, std::max(2, columns / PixelsPerMark));
    QStringList labels;
    for (double mark : marks) {
        QString label = FormatDayCount(QStringLiteral("hh:nn"), mark);
        while (labels.contains(label))
            label += QLatin1Char(' ');
        labels << label;
    }
    const QString range = FormatDayCount(QStringLiteral("yyyy-mm-dd hh:nn"), from) + QStringLiteral(" to ")
                          + FormatDayCount(QStringLiteral("yyyy-mm-dd hh:nn"), to);
    for (std::size_t c = 0; c < Charts_.size(); ++c) {
        QCategoryAxis* axis = Charts_[c].TimeAxis;
        for (const QString& old : axis->categoriesLabels())
            axis->remove(old);
        axis->setRange(0.0, (to - from) * MinutesPerDay);
        axis->setStartValue(0.0);
        for (std::size_t m = 0; m < marks.size(); ++m)
            axis->append(labels[static_cast<int>(m)], (marks[m] - from) * MinutesPerDay);
        if (c + 1 == Charts_.size())
            axis->setTitleText(range);
    }
}

bool TPlotPage::SavePng(const QString& path)
{
    return ChartsArea_->grab().save(path, "PNG");
}

bool TPlotPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress)
        return QWidget::eventFilter(watched, event);
    const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
    if (OnMouseDown)
        OnMouseDown(button);
    return button == Qt::RightButton;
}
