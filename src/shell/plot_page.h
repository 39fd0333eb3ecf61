#pragma once

#include "plot_series.h"
#include "time_units.h"

#include <QList>
#include <QPointF>
#include <QWidget>

#include <functional>
#include <vector>

class QCategoryAxis;
class QChartView;
class QComboBox;
class QGraphicsPathItem;
class QGraphicsRectItem;
class QTimer;
class QValueAxis;

// The Plot page: ppm of gas A and of water delivered with the planned
// values dashed, the flows of both gases, and the bubbler temperature, each
// against the time of day. The page shows the newest part of the run
// (following it as rows arrive) or the whole run; every pixel column shows
// the minimum and the maximum of the rows that fall into it, so a run of a
// million rows draws as quickly as a short one and loses no excursion.
class TPlotPage : public QWidget {
    Q_OBJECT

public:
    explicit TPlotPage(QWidget* parent = nullptr);

    // Adds one log row. The page redraws at the next turn of the event loop
    // when it is shown, and when it is next shown otherwise.
    void AppendSample(const TPlotSample& sample);
    const TPlotData& Data() const { return Data_; }

    // Draws the view the span list asks for, now.
    void Redraw();
    // The time range last drawn, day counts (both 0 before any row): the
    // newest rows, or the whole run, with a tenth of room to the right.
    double ViewFrom() const { return ViewFrom_; }
    double ViewTo() const { return ViewTo_; }

    // The points a curve was last drawn through: x in minutes from the
    // midnight before the first row, y in the quantity's unit.
    const QList<QPointF>& Points(TPlotQuantity quantity) const;

    // Writes the three charts as one PNG picture; false when that fails.
    bool SavePng(const QString& path);

    // A mouse button pressed on a chart; the right button goes to this alone.
    std::function<void(Qt::MouseButton)> OnMouseDown;

    // "Newest 10 minutes", "Newest hour", "Newest 8 hours", "Whole run".
    QComboBox* ComboBoxPlotSpan = nullptr;
    QChartView* ChartViewPpm = nullptr;
    QChartView* ChartViewFlow = nullptr;
    QChartView* ChartViewBubbler = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TChartParts {
        QChartView* View;
        QCategoryAxis* TimeAxis;
        QGraphicsRectItem* Area;  // the plot area, which clips the curves
    };
    struct TCurve {
        TPlotQuantity Quantity;
        std::size_t Chart;
        QValueAxis* Axis;
        QGraphicsPathItem* Path;
        bool Planned;
        QList<QPointF> Points;
    };

    QChartView* MakeChart(const char* name);
    QValueAxis* AddAxis(QChartView* view, const QString& title, Qt::Alignment side);
    void AddCurve(QChartView* view, QValueAxis* axis, TPlotQuantity quantity, const QString& name, const QColor& color,
                  bool dashed);
    // Maps the curves of one chart onto its plot area.
    void DrawCurves(std::size_t chart);
    // Puts a chart's plot area and legend at the shared margins.
    void PlaceChart(std::size_t chart, const QSize& size);
    // The time axes over [from, to] with marks at `marks` (day counts).
    void SetTimeAxes(double from, double to, const std::vector<double>& marks);
    // Each value axis fitted to the points its curves are to show.
    void FitValueAxes(const TPlotData::TDecimated& points);
    // A day count as the charts' x: minutes from the origin.
    double Minutes(double day) const { return (day - Origin_) * MinutesPerDay; }
    void RedrawSoon();
    int Columns() const;

    TPlotData Data_;
    std::vector<TCurve> Curves_;
    std::vector<TChartParts> Charts_;
    QWidget* ChartsArea_ = nullptr;
    QTimer* RedrawTimer_ = nullptr;
    bool Stale_ = false;
    double ViewFrom_ = 0.0;
    double ViewTo_ = 0.0;
    int ViewSpan_ = -1;  // the span list's entry the view was made for
    // The time marks the axes show, and where their minutes count from.
    std::vector<double> Marks_;
    double Origin_ = 0.0;
};
