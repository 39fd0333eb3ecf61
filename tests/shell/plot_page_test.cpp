#include "form_fixture.h"
#include "log_table_model.h"
#include "plot_page.h"
#include "time_units.h"

#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

constexpr double Minute = 1.0 / MinutesPerDay;

}  // namespace

TEST(PlotPage, FollowsTheNewestRowsOrShowsTheWholeRunAtAnyLength)
{
    TPlotPage page;
    page.resize(1000, 600);
    page.show();
    const double start = 46365.5;
    // Three hours a second apart, gas A near 150 ppm with one spike.
    for (int i = 0; i < 3 * 3600; ++i) {
        TPlotSample s;
        s.Time = start + i / SecondsPerDay;
        s.Values.fill(NAN);
        s[TPlotQuantity::PpmA] = i == 5000 ? 400.0 : 150.0 + (i % 7) * 0.1;
        page.AppendSample(s);
    }
    QTest::qWait(50);  // the redraw waits for the event loop
    const double last = start + (3 * 3600 - 1) / SecondsPerDay;
    struct Case {
        QString span;
        double widthMinutes;  // 0: from the first row
        bool spikeShown;
    };
    const Case cases[] = {
        {"Newest hour", 60, false},
        {"Newest 10 minutes", 10, false},
        {"Whole run", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.span.toStdString());
        page.ComboBoxPlotSpan->setCurrentText(c.span);
        page.Redraw();
        // The newest row is in view with a little room after it.
        const double width = (page.ViewTo() - page.ViewFrom()) / Minute;
        EXPECT_GE(page.ViewTo(), last);
        EXPECT_LE((page.ViewTo() - last) / Minute, 0.1 * width + 1e-6);
        if (c.widthMinutes > 0) {
            EXPECT_NEAR(width, c.widthMinutes, 1e-6);
        } else {
            EXPECT_EQ(page.ViewFrom(), start);
        }
        // At most a minimum and a maximum per pixel column, whatever the span.
        const QList<QPointF>& ppmA = page.Points(TPlotQuantity::PpmA);
        EXPECT_LE(ppmA.size(), 2 * static_cast<int>(page.ChartViewPpm->chart()->plotArea().width()) + 2);
        double highest = 0.0;
        for (const QPointF& p : ppmA)
            highest = std::max(highest, p.y());
        EXPECT_NEAR(highest, c.spikeShown ? 400.0 : 150.6, 1e-4);
    }

    // The view moves on only when the rows reach its edge.
    page.ComboBoxPlotSpan->setCurrentText("Newest hour");
    page.Redraw();
    const double edge = page.ViewTo();
    TPlotSample next;
    next.Values.fill(150.0);
    next.Time = last + 1 / SecondsPerDay;
    page.AppendSample(next);
    page.Redraw();
    EXPECT_EQ(page.ViewTo(), edge);
    next.Time = edge + 1 / SecondsPerDay;
    page.AppendSample(next);
    page.Redraw();
    EXPECT_GT(page.ViewTo(), next.Time);
}

TEST(PlotPage, ARightClickSavesThePlotAsAPicture)
{
    FormFixture f;
    QTemporaryDir dir;
    f.form.resize(1344, 666);
    f.form.show();
    f.form.PageControl1->setCurrentIndex(4);
    f.form.Core().State.MixerState = TMixerState::Standby;
    f.form.StoreData();
    ASSERT_EQ(f.form.Plot1->Data().Size(), 1u);

    QWidget* chart = f.form.Plot1->ChartViewFlow->viewport();
    f.dialogs.SaveAnswer = dir.filePath("plot.png");
    QTest::mouseClick(chart, Qt::LeftButton);
    EXPECT_TRUE(f.dialogs.SaveProposals.isEmpty());
    QTest::mouseClick(chart, Qt::RightButton);
    ASSERT_EQ(f.dialogs.SaveProposals.size(), 1);
    EXPECT_EQ(f.dialogs.SaveSetups[0].DefaultExt, "png");
    QImage saved(f.dialogs.SaveAnswer, "PNG");
    EXPECT_GE(saved.height(), 3 * 100) << "all three charts";
    EXPECT_TRUE(f.form.MemoDevFeedback->toPlainText().endsWith("\nPlot saved\n"));

    // A file of that name is never overwritten.
    QTest::mouseClick(chart, Qt::RightButton);
    EXPECT_EQ(f.dialogs.Errors, QStringList{"File already exists. Cannot overwrite."});
}
