#pragma once

#include "flow_program.h"
#include "mfc_bus_model.h"
#include "mixer.h"
#include "mixing_methods.h"
#include "rig_faults.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Clock;
class SerialLines;
class QIODevice;
class TEquipmentGateway;
class TLogTableModel;
class SimulatedRig;

// A delivered concentration is within tolerance when it is off by no more
// than 1 % of the requested ppm or 1 ppm, whichever is larger.
inline constexpr double DryRunRelativeTolerance = DeliveryRelativeTolerance;
inline constexpr double DryRunAbsoluteTolerancePpm = DeliveryAbsoluteTolerancePpm;
double DryRunTolerancePpm(double requestedPpm);

// A controller's gas table as a dry run sets it: full scale (g/min) and
// dynamic range.
struct TDryRunRange {
    float Max = 0.0f;
    std::uint16_t Dyn = 0;
};

// What to dry-run: the gases (as the Setup page's lists name them), the
// request, how long, the bubbler's temperature, the controllers' gas tables
// (the simulated controllers' own when not given), how the simulated
// controllers respond and which mends of the delivery are on.
struct TDryRunOptions {
    std::string GasA = "O2";  // "O2" or "5%H2,95%Ar"
    std::string GasB = "Ar";  // "Ar" or "N2"
    std::int32_t PpmA = 150;
    std::int32_t PpmH2O = 0;
    double Minutes = 30.0;
    double BubblerTempC = 22.0;
    std::optional<TDryRunRange> RangeA;
    std::optional<TDryRunRange> RangeB;
    MfcResponse Response;
    TDeliveryRules Rules;
    // Faults of the simulated rig, their seconds counted from the end of the
    // setup (the equipment validated and the gases chosen).
    std::vector<TScheduledFault> Faults;
    // The lab's records the plans' uncertainty rests on, and the fraction
    // of gas A's active component its cylinder truly holds (the certified
    // one when not given).
    TRecords Records;
    std::optional<double> SourceFraction;
};

// What a dilution delivered, from the simulated equipment's own record:
// the grams each controller delivered and the water the bubbler put in, as
// mole fractions against the request (after the water limits).
struct TDryRunResult {
    std::string Method;
    std::string Alarm;    // the newest alarm the supervision raised, if any
    std::string Refused;  // why the plan is not deliverable (then nothing ran)
    double Minutes = 0.0;
    std::int32_t RequestedPpmA = 0;
    std::int32_t RequestedPpmH2O = 0;
    // Gas A as its active component, in ppm of gas A of the nominal
    // fraction (the cylinder's true fraction against the nominal one).
    double DeliveredPpmA = 0.0;
    double DeliveredPpmH2O = 0.0;
    // What the plan is expected to deliver and the expanded uncertainty
    // (k = 2) of that, when known.
    std::optional<TDeliveryUncertainty> ExpectedA;
    std::optional<TDeliveryUncertainty> ExpectedH2O;
    double GramsA = 0.0;
    double GramsB = 0.0;
    double GramsH2O = 0.0;
    // Replies of the controllers the line garbled (a flaky line), and all.
    std::uint64_t GarbledReplies = 0;
    std::uint64_t Replies = 0;

    // Relative errors (delivered / requested - 1; 0 when both are 0).
    double ErrorA() const;
    double ErrorH2O() const;
    bool AWithinTolerance() const;
    bool H2OWithinTolerance() const;
    bool WithinTolerance() const { return AWithinTolerance() && H2OWithinTolerance(); }
    // Whether the delivered value lies within the expanded uncertainty of
    // the value expected; none where no uncertainty is known.
    std::optional<bool> AWithinUncertainty() const;
    std::optional<bool> H2OWithinUncertainty() const;
};

// One step of a program as a dry run ran it: the step (its water as the
// limits left it), what its hold delivered (from the equipment's own record
// over the hold) and the grams used from the step's start, its flush
// included.
struct TDryRunStep {
    TProgramStep Step;
    TDryRunResult Hold;
    double UsedGramsA = 0.0;
    double UsedGramsB = 0.0;
    double UsedGramsH2O = 0.0;
    bool Completed = false;  // held to its end
};

// A whole program: its steps (as far as it ran), why it stopped if it did,
// the simulated time and the grams used.
struct TDryRunProgramResult {
    std::vector<TDryRunStep> Steps;
    std::size_t StepCount = 0;  // steps in the program
    std::string Stopped;        // how the program stopped when it did not finish
    std::string Alarm;
    double Minutes = 0.0;
    double GramsA = 0.0;
    double GramsB = 0.0;
    double GramsH2O = 0.0;

    // Every step held to its end.
    bool Finished() const;
    // Finished, and every step's hold delivered within tolerance.
    bool WithinTolerance() const;
};

// The window-free mixer core on the simulated rig on a clock of its own
// that never waits, driven as the window drives it: the equipment validated
// and the gases chosen at construction (controller ranges read from the
// controllers, the bubbler read), then requests, dilutions and ticks as
// Timer1 delivers them, as fast as the processor allows. Throws
// std::runtime_error when the setup fails.
class TDryRun {
public:
    explicit TDryRun(const TDryRunOptions& options);
    ~TDryRun();
    TDryRun(const TDryRun&) = delete;
    TDryRun& operator=(const TDryRun&) = delete;

    // The Operation page's request: gas B the rest of a million, the water
    // held between its limits; returns what the page would tell the operator.
    // The mixer goes to Standby and plans, as after a typed value.
    QStringList Request(std::int32_t ppmA, std::int32_t ppmH2O);
    // Why the plan of the request is not deliverable with these controllers
    // (the Dilution button would refuse it); empty when it is.
    std::string Refusal() const;
    // The Dilution button; what is delivered counts from here.
    void StartDilution();
    // What is delivered counts from now on (a dilution settled first).
    void CountFromNow();
    // Ticks for `seconds` of simulated time, every 250 ms or at once after
    // a longer tick.
    void RunFor(double seconds);
    // What was delivered since the dilution started.
    TDryRunResult Result();

    // The whole run of the options: request, dilution, ticks, result; a
    // plan that is not deliverable is refused before the dilution.
    static TDryRunResult Run(const TDryRunOptions& options);

    // Runs a flow program through the mixer's runner to its end (or until it
    // stops), as the window's Start program does.
    TDryRunProgramResult RunProgram(const TFlowProgram& program);

    // The plan report with any lines the mixer added below it.
    const QString& Report() const;
    // Writes the log as the window saves it into `device`; false when a
    // write fails.
    bool WriteLog(QIODevice& device) const;

    TMixer& Mixer();
    TWindowState& State();
    TEquipmentGateway& Gateway();
    TLogTableModel& Log();
    SimulatedRig& Rig();
    // The lines the core reaches the rig through: a measurement may
    // register its own in place of the rig's.
    SerialLines& Lines();
    Clock& TheClock();
    double pH2O() const;

private:
    struct TParts;
    std::unique_ptr<TParts> P_;
};
