// The Plot page: the span list, the view over the rows, and when to draw.
#include "plot_page.h"
#include "time_units.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

// The shortest view: at the start of a run the rows fill it from the left,
// as on a chart recorder, and the time axis has marks to show.
constexpr double ShortestViewDays = 5.0 / MinutesPerDay;
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

}  // namespace

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

    RedrawTimer_ = new QTimer(this);
    RedrawTimer_->setSingleShot(true);
    RedrawTimer_->setInterval(0);
    connect(RedrawTimer_, &QTimer::timeout, this, &TPlotPage::Redraw);
    connect(ComboBoxPlotSpan, &QComboBox::currentIndexChanged, this, [this] { RedrawSoon(); });
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
    // its place while the view moves on, so the axes keep their labels.
    if (std::floor(first) != Origin_) {
        Origin_ = std::floor(first);
        Marks_.clear();
    }

    // The axes first, then the curves over them.
    const int columns = Columns();
    SetTimeAxes(from, to, PlotTimeMarks(from, to, std::max(2, columns / PixelsPerMark)));
    const TPlotData::TDecimated points = Data_.Decimate(from, to, columns);
    FitValueAxes(points);
    for (TCurve& curve : Curves_) {
        const std::vector<TPlotPoint>& p = points[static_cast<int>(curve.Quantity)];
        curve.Points.clear();
        curve.Points.reserve(static_cast<qsizetype>(p.size()));
        for (const TPlotPoint& point : p)
            curve.Points.append(QPointF(Minutes(point.x), point.y));
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
        for (std::size_t chart = 0; chart < Charts_.size(); ++chart) {
            if (Charts_[chart].View == watched)
                PlaceChart(chart, static_cast<QResizeEvent*>(event)->size());
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
