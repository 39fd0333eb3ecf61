#pragma once

#include <QImage>

// Marks valve ID (1..6) on the schematic as open (a bar along its pipe) or
// closed (a bar across it): the other bar is first erased in white, then the
// wanted one drawn in black. Bars are two pixels wide and, as on a line drawn
// by the platform, stop one pixel short of their second point. An ID outside
// 1..6 draws nothing.
void SetValveGraphics(QImage& picture, unsigned ID, bool Open);
