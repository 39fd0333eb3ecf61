#pragma once

#include <cfenv>
#include <cmath>

// Rounds to the nearest whole number, exact halves to the even neighbour
// (2.5 -> 2, 3.5 -> 4), the way the planner and the water limits round.
inline long double RoundHalfEven(long double x)
{
    const int mode = std::fegetround();
    if (mode != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    const long double r = std::nearbyint(x);
    if (mode != FE_TONEAREST)
        std::fesetround(mode);
    return r;
}
