#include "schematic.h"

#include <gtest/gtest.h>

#include <QColor>

namespace {

bool IsWhite(const QImage& img, int x, int y)
{
    return img.pixel(x, y) == qRgb(255, 255, 255);
}
bool IsBlack(const QImage& img, int x, int y)
{
    return img.pixel(x, y) == qRgb(0, 0, 0);
}

}  // namespace

TEST(Schematic, IsA24BitPictureOfTheDesignSize)
{
    const QImage img = DrawSchematic();
    EXPECT_EQ(img.width(), 998);
    EXPECT_EQ(img.height(), 315);
    EXPECT_EQ(img.depth(), 24);
}

TEST(Schematic, EveryValveHasAWhiteInteriorInsideABlackRingAtItsCentre)
{
    const QImage img = DrawSchematic();
    for (int id = 1; id <= ValveCount; ++id) {
        const QPoint c = ValveGlyphs[id - 1].Centre;
        SCOPED_TRACE("valve " + std::to_string(id));
        // The interior is white and symmetric about the centre, so bars drawn
        // through the centre in either direction erase cleanly.
        for (int dy = -6; dy <= 6; ++dy) {
            for (int dx = -6; dx <= 6; ++dx) {
                if (dx * dx + dy * dy <= 36) {
                    ASSERT_TRUE(IsWhite(img, c.x() + dx, c.y() + dy)) << dx << "," << dy;
                }
            }
        }
        // The ring: black between radius 8 and 10 in all four directions.
        for (int r = 8; r <= 10; ++r) {
            EXPECT_TRUE(IsBlack(img, c.x() + r, c.y()));
            EXPECT_TRUE(IsBlack(img, c.x() - r, c.y()));
            EXPECT_TRUE(IsBlack(img, c.x(), c.y() + r));
            EXPECT_TRUE(IsBlack(img, c.x(), c.y() - r));
        }
    }
}

TEST(Schematic, ValveBarsCrossTheirCentres)
{
    // Each bar is a straight horizontal or vertical segment through its
    // valve's centre; open bars run along the pipe, closed ones across.
    for (const TValveGlyph& v : ValveGlyphs) {
        for (auto [from, to] : {std::pair{v.OpenFrom, v.OpenTo}, std::pair{v.ClosedFrom, v.ClosedTo}}) {
            const bool horizontal = from.y() == to.y();
            const bool vertical = from.x() == to.x();
            ASSERT_TRUE(horizontal != vertical);
            if (horizontal) {
                EXPECT_EQ(from.y(), v.Centre.y());
                EXPECT_LT(std::min(from.x(), to.x()), v.Centre.x());
                EXPECT_GT(std::max(from.x(), to.x()), v.Centre.x());
            } else {
                EXPECT_EQ(from.x(), v.Centre.x());
                EXPECT_LT(std::min(from.y(), to.y()), v.Centre.y());
                EXPECT_GT(std::max(from.y(), to.y()), v.Centre.y());
            }
        }
    }
}

TEST(Schematic, PipesLieOnTheirDesignRows)
{
    const QImage img = DrawSchematic();
    // Gas A line between the gas A box and chamber 1, gas B line, cross-link.
    EXPECT_TRUE(IsBlack(img, 250, 74));
    EXPECT_TRUE(IsBlack(img, 250, 75));
    EXPECT_TRUE(IsBlack(img, 500, 279));
    EXPECT_TRUE(IsBlack(img, 500, 280));
    EXPECT_TRUE(IsBlack(img, 198, 200));
    EXPECT_TRUE(IsBlack(img, 199, 200));
    // Gas A box is red, gas B box is blue.
    const QColor a = img.pixelColor(60, 60);
    const QColor b = img.pixelColor(60, 265);
    EXPECT_GT(a.red(), 150);
    EXPECT_LT(a.blue(), 100);
    EXPECT_GT(b.blue(), 150);
    EXPECT_LT(b.red(), 100);
}
