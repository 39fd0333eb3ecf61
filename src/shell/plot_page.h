#pragma once

#include "plot_series.h"

#include <QWidget>

#include <functional>
#include <vector>

class QCategoryAxis;
class QChart;
class QChartView;
class QComboBox;
class QLineSeries;
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
    // The time range last drawn, day counts (both 0 before any row).
    double ViewFrom() const { return ViewFrom_; }
    double ViewTo() const { return ViewTo_; }

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
    struct TCurve {
        TPlotQuantity Quantity;
        QLineSeries* Series;
        QValueAxis* Axis;
        bool Planned;
    };
    struct TChartParts {
        QChartView* View;
        QCategoryAxis* TimeAxis;
        std::vector<QValueAxis*> Axes;
    };

    QChartView* MakeChart(const char* name);
    QValueAxis* AddAxis(QChartView* view, const QString& title, Qt::Alignment side);
    void AddCurve(QChartView* view, QValueAxis* axis, TPlotQuantity quantity, const QString& name, const QColor& color,
                  bool dashed);
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
};
