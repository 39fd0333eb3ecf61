#pragma once

#include <QString>

#include <array>

// The log's columns, in table order.
enum class TProperty {
    Time,
    Mode,
    Method,
    GasA,
    GasB,
    H2O,
    TOTg,
    GfracA,
    GfracB,
    GfracH2O,
    TOTm,
    MA,
    MB,
    MH2O,
    ppmA,
    ppmB,
    ppmH2O
};
inline constexpr int PropertyCount = 17;

// One column's description.
struct RColInfo {
    QString Caption;  // header text; empty = column not set up
    QString Format;   // number or time picture; empty for text columns
    int ColID = -1;   // table column that shows it; -1 = not shown
    int ColW = 0;     // column width, pixels
};

// The column table, indexed by TProperty.
using TColumnTable = std::array<RColInfo, PropertyCount>;

inline RColInfo& At(TColumnTable& table, TProperty p)
{
    return table[static_cast<int>(p)];
}
inline const RColInfo& At(const TColumnTable& table, TProperty p)
{
    return table[static_cast<int>(p)];
}

// The log's 17 columns as the window sets them up: captions, pictures,
// table columns 0 to 16 and widths in pixels.
TColumnTable StandardLogColumns();
