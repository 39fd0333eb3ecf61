#include "system_beep.h"

#include <QApplication>

#include <utility>

namespace {

TBeeper& Installed()
{
    static TBeeper beeper;
    return beeper;
}

}  // namespace

void SystemBeep()
{
    if (Installed())
        Installed()();
    else
        QApplication::beep();
}

TBeeper SetBeeper(TBeeper beeper)
{
    return std::exchange(Installed(), std::move(beeper));
}
