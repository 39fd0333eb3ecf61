#pragma once

#include <QImage>
#include <QPoint>

#include <array>

// The flow schematic of the Operation page: a 998 x 315 24-bit picture on
// which the six valves are marked open or closed.
inline constexpr int SchematicWidth = 998;
inline constexpr int SchematicHeight = 315;

// Where valve ID (1..6) sits on the picture and its two bars: along the pipe
// (open) and across it (closed). Each bar runs from its first point towards
// its second.
struct TValveGlyph {
    QPoint Centre;
    QPoint OpenFrom, OpenTo;
    QPoint ClosedFrom, ClosedTo;
};

// Index 0 is valve 1.
inline constexpr int ValveCount = 6;
extern const std::array<TValveGlyph, ValveCount> ValveGlyphs;

// Outer radius of a valve circle and the radius of its white interior.
inline constexpr int ValveOuterRadius = 11;
inline constexpr int ValveInnerRadius = 7;

// Draws the schematic with every valve circle empty (no bar).
QImage DrawSchematic();
