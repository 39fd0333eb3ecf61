#include "columns.h"

TColumnTable StandardLogColumns()
{
    struct Entry {
        TProperty property;
        const char* caption;
        const char* format;
        int width;
    };
    static const Entry entries[PropertyCount] = {
        {TProperty::Time, "Time", "hh:mm:ss", 60},
        {TProperty::Mode, "Mode", "", 70},
        {TProperty::Method, "Method", "", 100},
        {TProperty::GasA, "Gas A (g)", "0.000 000", 90},
        {TProperty::GasB, "Gas B (g)", "0.000 000", 90},
        {TProperty::H2O, "H2O (g)", "0.000 000", 90},
        {TProperty::TOTg, "Total mass (g)", "0.000 000", 90},
        {TProperty::GfracA, "A mass frac", "0.000 000", 80},
        {TProperty::GfracB, "B mass frac", "0.000 000", 80},
        {TProperty::GfracH2O, "H2O mass frac", "0.000 000", 80},
        {TProperty::TOTm, "Total moles", "0.000 000", 90},
        {TProperty::MA, "Moles A", "0.000 000", 80},
        {TProperty::MB, "Moles B", "0.000 000", 80},
        {TProperty::MH2O, "Moles H2O", "0.000 000", 80},
        {TProperty::ppmA, "A ppm", "0 000 000", 80},
        {TProperty::ppmB, "B ppm", "0 000 000", 80},
        {TProperty::ppmH2O, "H2O ppm", "0 000 000", 80},
    };
    TColumnTable table;
    int column = 0;
    for (const Entry& e : entries) {
        RColInfo& info = At(table, e.property);
        info.Caption = QString::fromLatin1(e.caption);
        info.Format = QString::fromLatin1(e.format);
        info.ColID = column++;
        info.ColW = e.width;
    }
    return table;
}
