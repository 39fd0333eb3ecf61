// The window on a 1280 x 800 screen, as a person sees it (ctest runs this on
// a virtual display of that size): it lies on the screen, and a screenshot
// shows the report's scroll bar, the whole schematic and the Plot page's
// right-hand axes inside it.
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

QRect OnScreen(const QWidget* w, const QRect& rect)
{
    return rect.translated(w->mapToGlobal(QPoint(0, 0)));
}

// The pixels of `rect` in a screenshot: how many are dark (text, lines),
// and how many equal the widget's own drawing when `w` is given.
int Count(const QImage& shot, const QRect& rect, QWidget* w = nullptr)
{
    const QImage own = w ? w->grab().toImage().convertToFormat(QImage::Format_RGB32) : QImage();
    int n = 0;
    for (int y = 0; y < rect.height(); ++y) {
        for (int x = 0; x < rect.width(); ++x) {
            const QRgb seen = shot.pixel(rect.left() + x, rect.top() + y);
            n += w ? own.pixel(x, y) == seen : qGray(seen) < 110;
        }
    }
    return n;
}

}  // namespace

TEST(ScreenFit, AtTheSmallestScreenTheRightEdgeIsOnIt)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs a display: ctest runs this on a virtual one";
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect room = screen->availableGeometry();
    ASSERT_TRUE(room.width() <= 1280 && room.height() <= 800);
    FormFixture f;
    TForm1& form = f.form;
    for (double minute = 0; minute < 3; ++minute) {
        TPlotSample s{46000.5 + minute / 1440.0, {}};
        s.Values.fill(100.0 + 10 * minute);
        form.Plot1->AppendSample(s);
    }
    form.Memo4->setPlainText(QString("A report line long enough to need the report's scroll bars.\n").repeated(80));
    ShowActive(form);
    QTest::qWait(300);
    EXPECT_TRUE(room.contains(form.frameGeometry())) << form.frameGeometry().width();

    form.PageControl1->setCurrentIndex(1);
    QTest::qWait(300);
    QImage shot = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    QScrollBar* bar = form.Memo4->verticalScrollBar();
    const QRect barRect = OnScreen(bar, bar->rect());
    ASSERT_TRUE(form.geometry().contains(barRect));
    EXPECT_GT(Count(shot, barRect, bar), 0.95 * barRect.width() * barRect.height()) << "the scroll bar is drawn";
    const QRect image = OnScreen(form.Image1, form.Image1->rect());
    EXPECT_TRUE(OnScreen(form.OperationScroll, form.OperationScroll->viewport()->geometry()).contains(image))
        << "the Vent and App outlets are not under the report";

    form.PageControl1->setCurrentIndex(4);
    QTest::qWait(500);
    shot = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    for (QChartView* chart : {form.Plot1->ChartViewPpm, form.Plot1->ChartViewFlow}) {
        SCOPED_TRACE(chart->objectName().toStdString());
        const QRectF plot = chart->chart()->plotArea();
        const QRectF right(plot.right() + 2, plot.top(), chart->chart()->size().width() - plot.right() - 2,
                           plot.height());
        const QRect axis = OnScreen(chart, chart->mapFromScene(right).boundingRect());
        ASSERT_GT(axis.width(), 20);
        ASSERT_TRUE(form.geometry().contains(axis) && room.contains(axis));
        EXPECT_GT(Count(shot, axis), 100) << "its numbers and title are on the screen";
    }
}
