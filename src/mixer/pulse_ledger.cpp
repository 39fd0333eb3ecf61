#include "pulse_ledger.h"

#include "time_units.h"

#include <algorithm>
#include <cmath>

namespace {

// Flow and grams of a first-order response to a set-point `target` (g/min)
// `minutes` after it had the flow `flow`.
struct TResponse {
    double Flow;
    double Grams;
};
TResponse Respond(double flow, double target, double minutes)
{
    const double tau = TPulseLedger::ResponseSeconds / 60.0;
    const double decay = std::exp(-minutes / tau);
    return {target + (flow - target) * decay, target * minutes + (flow - target) * tau * (1.0 - decay)};
}

}  // namespace

void TPulseLedger::Clear()
{
    *this = TPulseLedger{};
}

void TPulseLedger::Advance(double at)
{
    if (!(at > ModelAt_)) {
        ModelAt_ = std::max(ModelAt_, at);
        return;
    }
    const TResponse r = Respond(ModelFlow_, Open_ ? Flow_ : 0.0, MinutesFromDays(at - ModelAt_));
    ModelFlow_ = r.Flow;
    ModelGrams_ += r.Grams;
    ModelAt_ = at;
}

double TPulseLedger::Delivered(double at) const
{
    const double minutes = MinutesFromDays(at - ModelAt_);
    if (!(minutes > 0.0))
        return ModelGrams_ + ModelFlow_ * minutes;
    return ModelGrams_ + Respond(ModelFlow_, Open_ ? Flow_ : 0.0, minutes).Grams;
}

void TPulseLedger::Opened(double at, float flow)
{
    Advance(at);
    if (Open_)
        Closed(at);
    Open_ = true;
    OpenedAt_ = at;
    Flow_ = flow;
}

void TPulseLedger::Closed(double at)
{
    if (!Open_)
        return;
    Advance(at);
    const double grams = Flow_ * MinutesFromDays(std::max(0.0, at - OpenedAt_));
    EndedGrams_ += grams;
    Recent_.push_back({at, grams});
    while (!Recent_.empty() && at - Recent_.front().Ended > DaysFromSeconds(ArrivalSeconds))
        Recent_.pop_front();
    Open_ = false;
}

double TPulseLedger::Asked(double at) const
{
    return EndedGrams_ + (Open_ ? Flow_ * MinutesFromDays(std::max(0.0, at - OpenedAt_)) : 0.0);
}

double TPulseLedger::RecentlyAsked(double at) const
{
    const double since = at - DaysFromSeconds(ArrivalSeconds);
    double grams = 0.0;
    for (const TPulse& p : Recent_) {
        if (p.Ended >= since)
            grams += p.Grams;
    }
    if (Open_)
        grams += Flow_ * MinutesFromDays(std::max(0.0, at - std::max(OpenedAt_, since)));
    return grams;
}

double TPulseLedger::OnItsWay(double at, double counted) const
{
    return std::clamp(Asked(at) - counted, 0.0, RecentlyAsked(at));
}
