#include "schematic.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

const std::array<TValveGlyph, ValveCount> ValveGlyphs = {{
    {{301, 252}, {301, 242}, {301, 260}, {291, 252}, {309, 252}},  // V1 bubbler inlet
    {{301, 105}, {301, 113}, {301, 95}, {291, 105}, {309, 105}},   // V2 bubbler outlet
    {{933, 121}, {933, 129}, {933, 111}, {924, 121}, {942, 121}},  // V3 gas B bypass to App
    {{199, 104}, {199, 113}, {199, 95}, {189, 104}, {207, 104}},   // V4 dry gas B cross-link
    {{903, 96}, {893, 96}, {912, 96}, {903, 104}, {903, 86}},      // V5 mixing line to App
    {{903, 54}, {893, 54}, {912, 54}, {903, 44}, {903, 62}},       // V6 mixing line to Vent
}};

namespace {

const QColor Pipe(0, 0, 0);
const QColor GasARed(200, 30, 30);
const QColor GasBBlue(30, 60, 200);
const QColor InletGrey(150, 150, 150);
const QColor Water(150, 200, 240);
const QColor ChamberFill(235, 235, 235);

// Pipes are two pixels wide and drawn as filled rectangles so that they land
// on exact pixel rows and columns.
void HPipe(QPainter& p, int x0, int x1, int yTop)
{
    p.fillRect(x0, yTop, x1 - x0 + 1, 2, Pipe);
}

void VPipe(QPainter& p, int xLeft, int y0, int y1)
{
    p.fillRect(xLeft, y0, 2, y1 - y0 + 1, Pipe);
}

// A filled disc whose pixels are exactly those within `radius` of the centre
// pixel, so that the disc is symmetric about that pixel.
void Disc(QImage& img, QPoint centre, int radius, QColor colour)
{
    const QRgb rgb = colour.rgb();
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            if (dx * dx + dy * dy <= radius * radius + radius / 2) {
                const int x = centre.x() + dx;
                const int y = centre.y() + dy;
                if (x >= 0 && y >= 0 && x < img.width() && y < img.height())
                    img.setPixel(x, y, rgb);
            }
        }
    }
}

void Box(QPainter& p, QRect r, QColor fill, QColor text, const QString& label, int pointSize = 10)
{
    p.setPen(QPen(Pipe, 2));
    p.setBrush(fill);
    p.drawRect(r);
    p.setPen(text);
    QFont f(QStringLiteral("Tahoma"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(pointSize);
    f.setBold(true);
    p.setFont(f);
    p.drawText(r, Qt::AlignCenter | Qt::TextWordWrap, label);
}

void Caption(QPainter& p, QRect r, const QString& label)
{
    p.setPen(Pipe);
    QFont f(QStringLiteral("Tahoma"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(9);
    p.setFont(f);
    p.drawText(r, Qt::AlignCenter, label);
}

void InletOutlet(QImage& img, QPoint centre)
{
    Disc(img, centre, 10, Pipe);
    Disc(img, centre, 8, InletGrey);
}

}  // namespace

QImage DrawSchematic()
{
    QImage img(SchematicWidth, SchematicHeight, QImage::Format_RGB888);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, true);

        // Gas A: inlet, box, mixing line to the chambers and through them.
        HPipe(p, 22, 55, 74);
        Box(p, QRect(55, 52, 108, 45), GasARed, Qt::white, QStringLiteral("Gas A"), 12);
        HPipe(p, 163, 401, 74);
        HPipe(p, 540, 558, 74);
        HPipe(p, 697, 712, 74);
        HPipe(p, 851, 870, 74);

        // Gas B: inlet, box and the line along the bottom to the bypass.
        HPipe(p, 22, 55, 279);
        Box(p, QRect(55, 256, 108, 45), GasBBlue, Qt::white, QStringLiteral("Gas B"), 12);
        HPipe(p, 163, 934, 279);

        // Cross-link for dry gas B into the mixing line (valve V4).
        VPipe(p, 198, 74, 280);

        // Bubbler with its inlet from the gas B line (V1) and outlet to the
        // mixing line (V2).
        VPipe(p, 300, 222, 280);
        VPipe(p, 300, 74, 130);
        p.setPen(QPen(Pipe, 2));
        p.setBrush(Qt::white);
        p.drawRect(QRect(235, 130, 139, 92));
        p.fillRect(QRect(237, 160, 136, 61), Water);
        p.setPen(QPen(QColor(60, 110, 180), 1));
        for (int row = 0; row < 3; ++row) {
            QPainterPath wave;
            const int y = 172 + row * 16;
            wave.moveTo(242, y);
            for (int x = 242; x <= 366; x += 2)
                wave.lineTo(x, y + 3.0 * std::sin((x - 242) / 6.0));
            p.setBrush(Qt::NoBrush);
            p.drawPath(wave);
        }
        Caption(p, QRect(235, 134, 139, 24), QStringLiteral("Distilled water"));

        // Chambers in series on the mixing line.
        Box(p, QRect(401, 20, 139, 104), ChamberFill, Pipe, QStringLiteral("Chamber 1"));
        Box(p, QRect(558, 20, 139, 104), ChamberFill, Pipe, QStringLiteral("Chamber 2"));
        Box(p, QRect(712, 20, 139, 104), ChamberFill, Pipe, QStringLiteral("Chamber n"));

        // Fork to Vent (V6, upper) and App (V5, lower), bypass up from the gas
        // B line into the App branch (V3).
        VPipe(p, 869, 53, 96);
        HPipe(p, 869, 964, 53);
        HPipe(p, 869, 964, 95);
        VPipe(p, 932, 95, 280);
        Caption(p, QRect(950, 20, 48, 18), QStringLiteral("Vent"));
        Caption(p, QRect(950, 112, 48, 18), QStringLiteral("App"));
    }

    InletOutlet(img, QPoint(22, 73));
    InletOutlet(img, QPoint(22, 278));
    InletOutlet(img, QPoint(975, 54));
    InletOutlet(img, QPoint(975, 96));

    // Valve circles: black ring, white interior centred on the valve.
    for (const TValveGlyph& v : ValveGlyphs) {
        Disc(img, v.Centre, ValveOuterRadius, Pipe);
        Disc(img, v.Centre, ValveInnerRadius, Qt::white);
    }
    return img;
}
