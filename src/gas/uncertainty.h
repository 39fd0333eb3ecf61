#pragma once

#include "planner.h"
#include "records.h"

#include <QStringList>

#include <optional>
#include <string>
#include <vector>

// What a plan's uncertainty rests on: the records of the gas A source, of
// both controllers and of the bubbler, and the bubbler's reading (its
// temperature and the temperature one converter step spans there; 0 when
// no reading was sound).
struct TUncertaintyInputs {
    TSourceRecord SourceA;
    TSourceRecord SourceB;  // its certificate's date only
    TControllerRecord ControllerA;
    TControllerRecord ControllerB;
    TBubblerRecord Bubbler;
    double BubblerC = 0.0;
    double BubblerStepC = 0.0;
};

// One input's share of a delivered value's uncertainty: the standard
// uncertainty (ppm) the input's own brings to the value.
struct TContribution {
    std::string Name;
    double Ppm = 0.0;
};

// A delivered concentration: the value the plan is expected to deliver with
// the records as they stand (ppm), its expanded uncertainty (k = 2, ppm) and
// the contributions, largest first.
struct TDeliveryUncertainty {
    double ExpectedPpm = 0.0;
    double ExpandedPpm = 0.0;
    std::vector<TContribution> Contributions;
};

// The expanded uncertainty of what a plan delivers, after the Guide to the
// Expression of Uncertainty in Measurement: each record's figure an expanded
// uncertainty (k = 2) of a normal distribution, the converter's step and the
// graininess of pulses and of the wet path spread evenly, the
// sensitivities worked out numerically on a model of the delivery, the
// contributions summed in quadrature, k = 2, for values averaged over
// AveragingMinutes. A gas dosed in pulses adds the pulses' graininess, the
// water the wet path's. The water is known only when a vapour pressure is.
struct TPlanUncertainty {
    TDeliveryUncertainty GasA;
    std::optional<TDeliveryUncertainty> Water;
    double AveragingMinutes = 0.0;
};

// The delivered values are those of any stretch of the dilution this long,
// or as long as a pulsed plan needs to average within tolerance when that
// is longer.
inline constexpr double AveragingWindowMinutes = 1.0;
// The values hold once the flows and the pulses have settled, this long
// after the dilution began.
inline constexpr int SettledSeconds = 10;
// The rig decides on pulses and on the wet path at its ticks.
inline constexpr double RigTickSeconds = 0.25;

// None for a plan without a method (no gas chosen) or that is not
// deliverable. `windowMinutes`: the stretch the values are averaged over.
std::optional<TPlanUncertainty> PlanUncertainty(const TPlanResult& plan, const TUncertaintyInputs& inputs,
                                                double windowMinutes = AveragingWindowMinutes);

// The block after the plan report's lines: "Expected delivery (k = 2)", each
// value with its expanded uncertainty and its three largest contributions,
// then the records it rests on (defaults said as such, an expired
// certificate or calibration warned about against `today`, a day count).
QStringList UncertaintyLines(const TPlanUncertainty& uncertainty, const TUncertaintyInputs& inputs,
                             std::optional<double> today);

// Warnings for the records of gas `gas` ('A' or 'B') out of date on `today`
// (a day count): its cylinder's certificate expired, its controller's
// calibration past due; empty when none.
QStringList ExpiredRecords(const TSourceRecord& source, const TControllerRecord& controller, char gas, double today);

// "150.0 ± 2.4": a value and its expanded uncertainty, one decimal.
QString ValueWithUncertainty(double ppm, double expandedPpm);
