#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the lab keeps on record about its rig between runs: the gas sources'
// certificates, the controllers' accuracy and calibration, the bubbler. The
// uncertainty of every plan rests on them. A record not confirmed by the
// operator holds the defaults below, and the plan report says so.
//
// Shares are fractions of 1 (0.005 is 0.5 %). Every accuracy, repeatability
// and uncertainty is an expanded one (k = 2): what holds for 19 in 20, as
// makers state their instruments' accuracy. Dates are ISO texts
// ("2027-03-31"), empty when not known.

// A gas cylinder: the certified mole fraction of its active component (the
// gas itself for a pure gas: its purity) and the expanded uncertainty of
// that fraction (k = 2), its lot and the date its certificate expires.
struct TSourceRecord {
    std::string Gas;  // the gas list's name ("O2", "5%H2,95%Ar", "Ar", "N2")
    double Fraction = 1.0;
    double FractionUncertainty = 0.0;  // expanded, k = 2, same unit as Fraction
    std::string Lot;
    std::string Expiry;
    bool Confirmed = false;
};

// A thermal mass-flow controller, by the serial its identification reports:
// its accuracy as a share of reading plus a share of full scale, its
// repeatability as a share of reading, and its calibration date and the
// date that calibration is due again.
struct TControllerRecord {
    std::string Serial;
    double ReadingShare = 0.005;
    double FullScaleShare = 0.001;
    double Repeatability = 0.002;
    std::string Calibrated;
    std::string CalibrationDue;
    bool Confirmed = false;
};

// The bubbler: its temperature's accuracy (degrees C; the converter's step
// comes on top) and how near saturation the gas that passes leaves it (an
// efficiency with its uncertainty).
struct TBubblerRecord {
    double TemperatureAccuracyC = 0.2;
    double Efficiency = 1.0;
    double EfficiencyUncertainty = 0.01;
    bool Confirmed = false;
};

struct TRecords {
    std::vector<TSourceRecord> Sources;
    std::vector<TControllerRecord> Controllers;
    TBubblerRecord Bubbler;

    // The record of `gas` or of the controller with `serial`; the default
    // record (not confirmed) when there is none.
    TSourceRecord Source(const std::string& gas) const;
    TControllerRecord Controller(const std::string& serial) const;
};

// The default certificate of a gas the records do not hold: a pure gas at
// 99.999 % known to 0.001 %, a mixture at its nominal fraction known to 1 %
// of it.
TSourceRecord DefaultSource(const std::string& gas);

// Why a record is refused ("" when it is sound): negative or absurd figures,
// a date that does not parse.
std::string SourceRecordFault(const TSourceRecord& record);
std::string ControllerRecordFault(const TControllerRecord& record);
std::string BubblerRecordFault(const TBubblerRecord& record);

// The day count (days since 1899-12-30, as the clock's) of an ISO date; none
// for an empty or broken text.
std::optional<double> DayCountOfDate(const std::string& iso);
