#pragma once

#include <deque>

// The set-points a gas dosed in pulses was given since its totalizer was
// zeroed, and from them the grams asked for. A thermal controller follows
// its set-point with a lag: most of a short pulse flows after the set-point
// has dropped, and the totalizer counts it only then. What was asked for and
// not counted yet is on its way; the dosing counts it as delivered, or it
// would give one pulse too many.
class TPulseLedger {
public:
    // What was asked for longer ago than this has arrived: it bounds what
    // can still be on its way when the controller delivers a little less
    // than it is asked for.
    static constexpr double ArrivalSeconds = 2.0;

    void Clear();
    // The set-point went up to `flow` (g/min) or back to 0, confirmed at `at`
    // (day count). Both ends are taken when their writes have been
    // answered: the same exchange lies between each write and its effect.
    void Opened(double at, float flow);
    void Closed(double at);
    bool Open() const { return Open_; }
    float Flow() const { return Flow_; }
    // When the pulse that is on went up (day count).
    double OpenedAt() const { return OpenedAt_; }

    // Grams asked for up to `at`, a pulse that is on counted up to then.
    double Asked(double at) const;
    // What is on its way at `at` with `counted` grams counted: asked for and
    // not counted, never below 0, never more than was asked for in the last
    // ArrivalSeconds.
    double OnItsWay(double at, double counted) const;

    // The grams the controller has delivered up to `at`, by a first-order
    // response to the set-points with ResponseSeconds: how the gas counted
    // between two readings spreads over the time between them, when it is
    // shared between the two paths of the water.
    static constexpr double ResponseSeconds = 0.3;
    double Delivered(double at) const;

    // How long one set-point write took, last measured (day count).
    double ExchangeDays = 0.0;
    // When the dosing last decided (day count; negative before the first).
    double LastDecision = -1.0;

private:
    struct TPulse {
        double Ended;  // day count
        double Grams;
    };
    double RecentlyAsked(double at) const;
    void Advance(double at);

    double EndedGrams_ = 0.0;
    bool Open_ = false;
    double OpenedAt_ = 0.0;
    float Flow_ = 0.0f;
    std::deque<TPulse> Recent_;  // pulses that ended within ArrivalSeconds
    // The response: its flow (g/min) and grams delivered at ModelAt_.
    double ModelAt_ = 0.0;
    double ModelFlow_ = 0.0;
    double ModelGrams_ = 0.0;
};
