#include "form_fixture.h"
#include "log_table_model.h"
#include "plot_page.h"

#include <gtest/gtest.h>

#include <QChartView>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr double Minute = 1.0 / 1440.0;

QLineSeries* Curve(QChartView* view, const QString& name)
{
    for (QAbstractSeries* s : view->chart()->series()) {
        if (s->name() == name)
            return static_cast<QLineSeries*>(s);
    }
    ADD_FAILURE() << "no curve " << name.toStdString();
    return nullptr;
}

} // namespace

TEST(PlotPage, FollowsTheNewestRowsOrShowsTheWholeRunAtAnyLength)
{
    TPlotPage page;
    page.resize(1000, 600);
    page.show();
    const double start = 46365.5;
    // Three hours a second apart, gas A near 150 ppm with one spike.
    for (int i = 0; i < 3 * 3600; ++i) {
        TPlotSample s;
        s.Time = start + i / 86400.0;
        s.Values.fill(NAN);
        s[TPlotQuantity::PpmA] = i == 5000 ? 400.0 : 150.0 + (i % 7) * 0.1;
        page.AppendSample(s);
    }
    QTest::qWait(50);  // the redraw waits for the event loop
    const double last = start + (3 * 3600 - 1) / 86400.0;
    struct Case {
        QString span;
        double fromMinutes;  // before the last row
        bool spikeShown;
    };
    const Case cases[] = {
        {"Newest hour", 60, false},
        {"Newest 10 minutes", 10, false},
        {"Whole run", (last - start) / Minute, true},
    };
    QLineSeries* ppmA = Curve(page.ChartViewPpm, "Gas A delivered");
    ASSERT_TRUE(ppmA);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.span.toStdString());
        page.ComboBoxPlotSpan->setCurrentText(c.span);
        page.Redraw();
        EXPECT_NEAR(page.ViewTo(), last, 1e-9);
        EXPECT_NEAR((last - page.ViewFrom()) / Minute, c.fromMinutes, 1e-6);
        // At most a minimum and a maximum per pixel column, whatever the span.
        EXPECT_LE(ppmA->count(), 2 * static_cast<int>(page.ChartViewPpm->chart()->plotArea().width()) + 2);
        double highest = 0.0;
        for (const QPointF& p : ppmA->points())
            highest = std::max(highest, p.y());
        EXPECT_NEAR(highest, c.spikeShown ? 400.0 : 150.6, 1e-4);
    }
}

TEST(PlotPage, ARightClickSavesThePlotAsAPicture)
{
    FormFixture f;
    QTemporaryDir dir;
    f.form.resize(1344, 666);
    f.form.show();
    f.form.PageControl1->setCurrentIndex(4);
    f.form.WindowState.MixerState = TMixerState::Standby;
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
