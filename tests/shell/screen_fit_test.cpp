// The window on the smallest screen it is made for, 1280 x 800, as a person
// sees it: ctest runs this program on a virtual display of that size. The
// window lies on the screen, and what sits at its right edge is drawn on the
// screen: the plan report's scroll bar, the whole schematic beside it, and
// the Plot page's right-hand axes.
#include "form_fixture.h"
#include "plot_page.h"
#include "widget_input.h"

#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

namespace {

// The screen's pixels, as a screenshot takes them.
QImage Screenshot()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

QRect OnScreen(const QWidget* w, const QRect& rect)
{
    return rect.translated(w->mapToGlobal(QPoint(0, 0)));
}

// How many pixels of `rect` are dark, as text and axis lines are.
int DarkPixels(const QImage& image, const QRect& rect)
{
    int n = 0;
    const QRect inside = rect & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            n += qGray(image.pixel(x, y)) < 110;
    }
    return n;
}

// The share of pixels of `rect` on the screen that match the widget's own
// drawing of itself.
double Matching(const QImage& screen, QWidget* w)
{
    const QImage own = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage seen = screen.copy(OnScreen(w, w->rect()));
    if (seen.size() != own.size())
        return 0.0;
    int same = 0;
    for (int y = 0; y < own.height(); ++y) {
        for (int x = 0; x < own.width(); ++x)
            same += own.pixel(x, y) == seen.pixel(x, y);
    }
    return static_cast<double>(same) / (own.width() * own.height());
}

}  // namespace

TEST(ScreenFit, AtTheSmallestScreenTheRightEdgeIsOnIt)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs a display: ctest runs this on a virtual one";
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_LE(screen.width(), 1280);
    ASSERT_LE(screen.height(), 800);

    FormFixture f;
    TForm1& form = f.form;
    for (int i = 0; i < 3; ++i) {
        TPlotSample s;
        s.Time = 46000.5 + i / 1440.0;
        for (TPlotQuantity q :
             {TPlotQuantity::PpmA, TPlotQuantity::PpmH2O, TPlotQuantity::PlannedPpmA, TPlotQuantity::PlannedPpmH2O,
              TPlotQuantity::FlowA, TPlotQuantity::FlowB, TPlotQuantity::BubblerC})
            s[q] = 100.0 + 10 * i;
        form.Plot1->AppendSample(s);
    }
    form.Memo4->setPlainText(
        QString("A plan report line long enough to need the report's scroll bars.\n").repeated(80));
    ShowActive(form);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::qWait(300);
    EXPECT_TRUE(screen.contains(form.frameGeometry()))
        << form.frameGeometry().width() << " x " << form.frameGeometry().height();

    // The Operation page: the report's vertical scroll bar inside the window
    // and drawn on the screen; the whole schematic in view beside it.
    form.PageControl1->setCurrentIndex(1);
    QTest::qWait(300);
    QImage shot = Screenshot();
    QScrollBar* bar = form.Memo4->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_TRUE(form.geometry().contains(OnScreen(bar, bar->rect())));
    EXPECT_GT(Matching(shot, bar), 0.95) << "the screen shows the scroll bar where it is";
    const QWidget* view = form.OperationScroll->viewport();
    EXPECT_TRUE(OnScreen(view, view->rect()).contains(OnScreen(form.Image1, form.Image1->rect())))
        << "the Vent and App outlets are not under the report";
    EXPECT_GT(Matching(shot, form.Image1), 0.95);

    // The Plot page: right of each plot area, the right-hand axis with its
    // labels, inside the window and drawn on the screen.
    form.PageControl1->setCurrentIndex(4);
    QTest::qWait(500);
    shot = Screenshot();
    for (QChartView* chart : {form.Plot1->ChartViewPpm, form.Plot1->ChartViewFlow}) {
        SCOPED_TRACE(chart->objectName().toStdString());
        const QRectF plot = chart->chart()->plotArea();
        const QRectF axisArea(plot.right() + 2, plot.top(), chart->chart()->size().width() - plot.right() - 2,
                              plot.height());
        const QRect axis = OnScreen(chart, chart->mapFromScene(axisArea).boundingRect());
        ASSERT_GT(axis.width(), 20);
        EXPECT_TRUE(form.geometry().contains(axis));
        EXPECT_TRUE(screen.contains(axis));
        EXPECT_GT(DarkPixels(shot, axis), 100) << "its numbers and title are on the screen";
    }
}
