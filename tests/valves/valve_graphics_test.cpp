#include "schematic.h"
#include "valve_graphics.h"

#include <gtest/gtest.h>

namespace {

bool IsBlack(const QImage& img, QPoint p)
{
    return img.pixel(p) == qRgb(0, 0, 0);
}
bool IsWhite(const QImage& img, QPoint p)
{
    return img.pixel(p) == qRgb(255, 255, 255);
}

// Points of a bar that lie inside the valve's white interior, on both sides
// of the centre, skipping the centre where the two bars cross.
std::vector<QPoint> InteriorPoints(const TValveGlyph& v, QPoint from, QPoint to)
{
    std::vector<QPoint> points;
    const bool horizontal = from.y() == to.y();
    for (int d = -5; d <= 5; ++d) {
        if (d >= -1 && d <= 1)
            continue;
        points.push_back(horizontal ? QPoint(v.Centre.x() + d, v.Centre.y()) : QPoint(v.Centre.x(), v.Centre.y() + d));
    }
    return points;
}

}  // namespace

TEST(ValveGraphics, OpenAndClosedBarsReplaceEachOther)
{
    for (unsigned id = 1; id <= 6; ++id) {
        for (bool open : {true, false}) {
            SCOPED_TRACE("valve " + std::to_string(id) + (open ? " open" : " closed"));
            QImage img = DrawSchematic();
            // Draw the opposite state first, so the call under test has to erase it.
            SetValveGraphics(img, id, !open);
            SetValveGraphics(img, id, open);
            const TValveGlyph& v = ValveGlyphs[id - 1];
            const auto shown
                = open ? InteriorPoints(v, v.OpenFrom, v.OpenTo) : InteriorPoints(v, v.ClosedFrom, v.ClosedTo);
            const auto hidden
                = open ? InteriorPoints(v, v.ClosedFrom, v.ClosedTo) : InteriorPoints(v, v.OpenFrom, v.OpenTo);
            for (QPoint p : shown)
                EXPECT_TRUE(IsBlack(img, p)) << p.x() << "," << p.y();
            for (QPoint p : hidden)
                EXPECT_TRUE(IsWhite(img, p)) << p.x() << "," << p.y();
        }
    }
}

TEST(ValveGraphics, DrawingTheSameStateTwiceChangesNothing)
{
    for (unsigned id = 1; id <= 6; ++id) {
        QImage once = DrawSchematic();
        SetValveGraphics(once, id, true);
        QImage twice = once;
        SetValveGraphics(twice, id, true);
        EXPECT_EQ(once, twice) << "valve " << id;
    }
}

TEST(ValveGraphics, TheOpenMixingLineBarOfValve5)
{
    QImage img = DrawSchematic();
    SetValveGraphics(img, 5, false);
    SetValveGraphics(img, 5, true);
    // Black from (893, 96) up to, not including, (912, 96) ...
    for (int x = 893; x < 912; ++x)
        EXPECT_TRUE(IsBlack(img, QPoint(x, 96))) << x;
    // ... and no black vertical bar in the circle.
    for (int y : {88, 90, 92, 100, 102})
        EXPECT_TRUE(IsWhite(img, QPoint(903, y))) << y;
}

TEST(ValveGraphics, IdsOutsideOneToSixDrawNothing)
{
    const QImage clean = DrawSchematic();
    for (unsigned id : {0u, 7u, 100u}) {
        QImage img = clean;
        SetValveGraphics(img, id, true);
        SetValveGraphics(img, id, false);
        EXPECT_EQ(img, clean) << id;
    }
}

TEST(ValveGraphics, MarksOnlyTouchTheirOwnValve)
{
    QImage img = DrawSchematic();
    SetValveGraphics(img, 3, true);
    const QImage reference = img;
    SetValveGraphics(img, 1, true);
    // Nothing changes near valve 3 when valve 1 is drawn.
    const QPoint c = ValveGlyphs[2].Centre;
    for (int dy = -11; dy <= 11; ++dy)
        for (int dx = -11; dx <= 11; ++dx)
            ASSERT_EQ(img.pixel(c.x() + dx, c.y() + dy), reference.pixel(c.x() + dx, c.y() + dy));
}
