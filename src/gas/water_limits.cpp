#include "water_limits.h"

#include "number_picture.h"
#include "rounding.h"

#include <algorithm>
#include <cmath>

TWaterLimits ApplyWaterLimits(std::int32_t a, std::int32_t w, double p)
{
    // A reading that cannot be a vapour pressure leaves no room for water
    // rather than letting any request through; above one atmosphere the
    // bubbler would boil, and its minimum water content would overflow.
    if (!std::isfinite(p) || p < 0.0)
        p = 0.0;
    p = std::min(p, 1.0);

    TWaterLimits r;
    r.W = w;
    r.B = 1000000 - a - w;

    if (r.W > 0 && r.B <= 0) {
        // Gas A and water already fill the mixture: no carrier gas for water.
        r.Messages << QStringLiteral("Maximum possible H2O fraction is 0");
        r.W = 0;
        r.B = 1000000 - a;
        return r;
    }

    if (r.W > 0 && static_cast<long double>(r.W) / r.B > p) {
        const long double most = static_cast<long double>(r.B) * p;
        r.Messages << QStringLiteral("Maximum possible H2O fraction is ") + FormatFloat(QStringLiteral("0"), most);
        r.W = static_cast<std::int32_t>(RoundHalfEven(most));
        r.B = 1000000 - a - r.W;
    }

    const double least = static_cast<double>(static_cast<long double>(r.B) * p / 60.0L / 6.0L);
    if (r.W > 0 && r.W < least) {
        r.Messages << QStringLiteral("Minimum water content is ") + FormatFloat(QStringLiteral("0"), least)
                + QStringLiteral(" ppm");
        r.W = static_cast<std::int32_t>(RoundHalfEven(least));
        r.B = 1000000 - a - r.W;
        r.RaisedToMinimum = true;
    }
    return r;
}
