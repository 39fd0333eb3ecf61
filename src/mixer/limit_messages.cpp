#include "limit_messages.h"

#include <cmath>

QStringList OperatorLimitMessages(std::int32_t a, std::int32_t w, double p, const TWaterLimits& limits)
{
    const QString gasA = QStringLiteral("Water: at %1 ppm of gas A ").arg(a);
    if (limits.RaisedToMinimum)
        return {gasA + QStringLiteral("the bubbler can give no less than %1 ppm").arg(limits.W)};
    if (limits.W >= w)
        return {};
    if (static_cast<std::int64_t>(1000000) - a - w <= 0)
        return {gasA + QStringLiteral("no gas B is left to carry water, so it is %1 ppm").arg(limits.W)};
    if (!(p > 0.0))
        return {QStringLiteral("Water: the bubbler's temperature has not been read, so no water can be given; it is "
                               "%1 ppm")
                    .arg(limits.W)};
    return {gasA + QStringLiteral("the bubbler can give no more than %1 ppm").arg(limits.W)};
}
