#include "valve_graphics.h"

#include "schematic.h"

namespace {

// A two-pixel bar on the straight segment from `from` towards `to`, the end
// point itself left out. Its second row (or column) lies on the side of the
// smaller coordinate, the way the schematic's two-pixel pipes do, so a bar
// along a pipe covers the pipe exactly.
void Bar(QImage& img, QPoint from, QPoint to, QRgb colour)
{
    auto plot = [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < img.width() && y < img.height())
            img.setPixel(x, y, colour);
    };
    if (from.y() == to.y()) {
        const int step = to.x() > from.x() ? 1 : -1;
        for (int x = from.x(); x != to.x(); x += step) {
            plot(x, from.y() - 1);
            plot(x, from.y());
        }
    } else if (from.x() == to.x()) {
        const int step = to.y() > from.y() ? 1 : -1;
        for (int y = from.y(); y != to.y(); y += step) {
            plot(from.x() - 1, y);
            plot(from.x(), y);
        }
    }
}

}  // namespace

void SetValveGraphics(QImage& picture, unsigned ID, bool Open)
{
    if (ID < 1 || ID > static_cast<unsigned>(ValveCount))
        return;
    const TValveGlyph& v = ValveGlyphs[ID - 1];
    const QRgb white = qRgb(255, 255, 255);
    const QRgb black = qRgb(0, 0, 0);
    if (Open) {
        Bar(picture, v.ClosedFrom, v.ClosedTo, white);
        Bar(picture, v.OpenFrom, v.OpenTo, black);
    } else {
        Bar(picture, v.OpenFrom, v.OpenTo, white);
        Bar(picture, v.ClosedFrom, v.ClosedTo, black);
    }
}
