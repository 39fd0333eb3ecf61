#pragma once

#include "log_count.h"
#include "log_row.h"
#include "mixing_methods.h"
#include "planner.h"
#include "program_runner.h"
#include "readout.h"
#include "serial_response.h"
#include "supervisor.h"
#include "uncertainty.h"
#include "water_limits.h"
#include "window_state.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>

class Clock;
class TEquipmentGateway;
class TMixerHost;
struct TSetupState;

// When a flow controller takes a set-point written from `writeStart`, and
// reads the totalizer asked for from `readStart` (day counts).
double SetPointTakenAt(double writeStart);
double TotalizerReadAt(double readStart);

// An alarm the operator has not acknowledged yet.
struct TAlarm {
    std::string Cause;    // what was found, for the operator
    double At = 0.0;      // clock day count when it was raised
    double AtWall = 0.0;  // the same moment on the wall clock
};

// Who asks for a mixture: the operator typing into the Operation page's
// fields (messages to show; a running program stops), a remote client (a
// running program stops; the messages, in the operator's words, go to the
// Debug page: the client hears of them in its own way), or a running flow
// program (messages to the Debug page).
enum class TMixtureSource { Operator, Remote, Program };

// Whether the operator is still typing the value a request comes from. A
// typed request is planned as the water limits hold it, but the fields keep
// what was typed and the operator is told nothing until the entry ends: a
// correction in the middle of a number would change the digits still to come.
enum class TMixtureEntry { Ended, Typing };

// A mixture as settled: gas A, gas B (the rest) and water held between its
// limits, ppm; the limits' corrections in the planner's words; whether a plan
// was made (both gases chosen).
struct TSettledMixture {
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::int32_t w = 0;
    QStringList Messages;
    bool Planned = false;
};

// The mixer core, free of any window: the four state buttons, the 250 ms
// tick that logs and acts on the state, the flush sequence, the delivery
// routines a dilution tick runs for the planned method, the planner run and
// the log rows. It keeps the request, the vapour pressure and the gases
// chosen in the setup; the equipment is reached only through the gateway,
// and everything shown, the log's rows included, is reported to the host.
// The main window, a remote client and a run without a window drive the
// same core.
class TMixer {
public:
    TMixer(TWindowState& state, TEquipmentGateway& gateway, const TSetupState& setup, TMixerHost& host, Clock& clock);

    // The buttons record the state wanted and show it; Dilution also plans
    // the run, zeroes both totalizers and starts the dilution clock. Stop
    // pressed during a flush ends the flush at its next message pump;
    // Flush, Bypass and Dilution are refused while an alarm waits to be
    // acknowledged. Each is the operator taking over: a running program
    // stops.
    void ButtonStopClick();
    void ButtonFlushClick();
    void ButtonBypassClick();
    void ButtonDilutionClick();
    // Why Flush, Bypass and Dilution would be refused now, if they would.
    std::optional<QString> ButtonRefusal() const;

    // One tick: a log row at a change of state (or once a second while
    // flushing or diluting), then what the state asks of the equipment; in
    // Dilution and Bypass the rig is then checked, and a lost device or a
    // flow off its set-point raises an alarm; in Standby a device that has
    // not confirmed the closed valves or zero flow for a second raises one
    // (unless one waits to be acknowledged). Every failed exchange is
    // traced on the Debug page.
    void Timer1Timer();

    // The alarm waiting to be acknowledged, if any. Raising one puts the
    // mixer into Standby at once and sends the Standby commands, shows the
    // alarm through the host, stores an "Alarm" row with the cause and adds
    // the cause to the Debug page.
    const std::optional<TAlarm>& Alarm() const { return Alarm_; }
    void AcknowledgeAlarm();

    // Standby at once, and every valve closed and both set-points zero now,
    // not at the next tick (before a controller is switched to another gas).
    void StopAndMakeSafe();

    // A mixture asked for: the bubbler read, the mixer put in Standby, gas B
    // derived as the rest of a million, the water held between its limits
    // (the host shows the three fields, answering `request`), then a plan.
    // While the operator types, a correction waits for EndMixtureEntry.
    TSettledMixture SetMixture(std::int32_t a, std::int32_t w, TMixtureSource source, std::uint64_t request = 0,
                               TMixtureEntry entry = TMixtureEntry::Ended);
    // The same without the bubbler read, on the last vapour pressure.
    TSettledMixture SettleMixture(std::int32_t a, std::int32_t w, TMixtureSource source, std::uint64_t request = 0,
                                  TMixtureEntry entry = TMixtureEntry::Ended);
    // The operator has ended the entry (Enter, Tab, leaving the field): a
    // correction held back while typing is shown in the fields now, with its
    // message. The plan already holds it.
    void EndMixtureEntry();
    // Reads the bubbler: its lines to the Debug page, a sound vapour
    // pressure kept and shown (a failed reading leaves the last).
    void ReadBubbler();

    // The flow program runner, driven by this mixer's tick.
    TProgramRunner& Program() { return Program_; }
    const TProgramRunner& Program() const { return Program_; }
    // Starts a program (refused while an alarm waits or a flush runs);
    // StopProgram ends it and puts the mixer in Standby.
    bool StartProgram(const TFlowProgram& program) { return Program_.Start(program); }
    void StopProgram();

    // Plans the mixture asked for with the gases chosen: a "Reset" marker in
    // the log, the method and flows into the state, the report to the host.
    // False when a gas is not chosen (nothing planned beyond the marker).
    bool Calculate();
    // The log row describing the present moment, as StoreData stores it.
    TLogRowValues PresentRow() const;
    // Appends one log row describing the present moment.
    void StoreData();
    // Appends a "Mark" row with `text` (a client lining its acquisition up
    // with the mixture); line breaks and other control characters become
    // spaces and semicolons commas, as in an alarm's row.
    void MarkLog(const std::string& text);
    // What that row is computed from; a readout of the delivery uses the
    // same arithmetic.
    TLogRowInputs LogRowInputs() const;
    // What is being delivered, from what the last tick read (readout.cpp);
    // no device is asked.
    TReadout Readout() const;
    // The newest plan that got past the gas check.
    const TPlanResult& LastPlan() const { return LastPlan_; }
    // The lab's records the plans' uncertainty rests on, from the next plan.
    void SetRecords(const TRecords& records);
    // What the last plan is expected to deliver, and how well; none for a
    // plan not deliverable or not made.
    const std::optional<TPlanUncertainty>& LastUncertainty() const { return LastUncertainty_; }
    // The records and the bubbler reading the next plan's uncertainty rests on.
    TUncertaintyInputs UncertaintyInputs() const;

    // The delivery steps of a dilution tick (delivery_methods.cpp).
    // Holds the delivery path (the dry one, or the wet one while the water
    // holds it open) and sends the planned set-points not yet sent.
    void ConstantFlow();
    // One decision for gas A (controller 1): a pulse when its delivery lags
    // the plan, held into the next tick while the lag is larger than a pulse.
    void AinBPulse();
    // The same for gas B (controller 2), when its planned flow is below its
    // controller's minimum.
    void BinAPulse();
    // One decision for the bubbler: gas B through it when what was credited
    // to it lags the water asked for; stores an "H2O pulse" row. Credited is
    // the time the wet path was open at a constant gas B flow, or, for
    // pulsed gas B, the grams controller 2 counted while it was open.
    void SendH2O();

    // The mends of the delivery, all on unless a dry run turns one off.
    void SetDeliveryRules(const TDeliveryRules& rules) { Rules_ = rules; }
    const TDeliveryRules& DeliveryRules() const { return Rules_; }

    // Whether a flush is running (its steps hold across ticks, while the
    // buttons and commands go on), and how many flushes have ended so far.
    bool FlushRunning() const { return FlushRunning_; }
    unsigned FlushesEnded() const { return FlushesEnded_; }

    // The program is closing and the rig has been made safe: a flush in
    // progress goes straight to its end (gas B off, Standby, all valves
    // closed), and no tick acts from then on.
    void WindowClosing();

private:
    friend class TProgramRunner;
    // What the buttons do once they are not refused; a program uses them
    // too.
    void EnterStandby();
    void EnterFlushing();
    void StartDilution();

    void LogStep();
    void Act();
    void HoldStandby();
    void HoldBypass();
    // The flush (flush.cpp): gas B at its maximum, then each step's valves
    // held for its time across ticks, then gas B off, Standby and every
    // valve closed.
    void BeginFlush();
    void FlushStep();
    void ContinueFlush();
    void EndFlush();
    void Dispatch();
    void Supervise(TMixerState acting);
    void RaiseAlarm(const std::string& cause);
    // True (and the operator told) when an alarm waits to be acknowledged.
    bool RefusedByAlarm();
    void Trace(const QString& line);

    struct TPulsedGas;
    void Pulse(const TPulsedGas& gas);
    float PulseSetPoint(const TPulsedGas& gas);
    bool WritePulseSetPoint(const TPulsedGas& gas, float flow);
    void StopPulse(const TPulsedGas& gas);
    // Water with pulsed gas B (pulsed_water.cpp).
    double WetShareSinceReading(double at) const;
    void CreditWetGramsB(double counted, double at);
    void LoseWetGramsB();
    bool SwitchWetPathB(bool wet, double accountAt);
    bool ReadGasBForWater(bool pause);
    double GasBDue(double at) const;
    bool ShareHeldGasB(double share);
    // Longest time a water pulse holds the wet path open within a tick; a
    // larger lag keeps it open into the next tick.
    static constexpr unsigned MaxWaterHoldMs = 200;
    bool ChooseWetPath(double onItsWay, double nextGrams, bool flowing);
    // The share of gas B the bubbler must carry for the water asked for;
    // none without water or a sound vapour pressure.
    double WaterShare(double pH2O) const;
    std::optional<double> WaterShareNow() const;
    void SendH2OByTime(double share);
    void SendH2OByGasB(double share);
    TSerialResponse SetValvesTimed(std::uint8_t pattern);
    std::string SetWetPath(bool wet);
    void CloseWetPath();
    void StoreH2OPulseRow();
    void StoreRow(const TLogRowValues& values);
    // Keeps the delivered values of a running dilution, and notes when it
    // ended, for the readout outside Dilution (readout.cpp).
    void FollowDelivery();

    // A typed request the water limits changed, not yet shown or told.
    struct THeldEntry {
        std::int32_t a = 0;
        std::int32_t w = 0;
        TWaterLimits Limits;
        double pH2O = 0.0;
        std::uint64_t Request = 0;
    };
    // The delivered values at the last tick of a dilution.
    struct TLastDilution {
        double StartTime = 0.0;  // DilutionStartTime of that dilution
        double ElapsedDays = 0.0;
        std::optional<double> PpmA;
        std::optional<double> PpmH2O;
        std::optional<double> EndedWall;  // wall day count; none while it runs
    };

    TWindowState& S_;
    TEquipmentGateway& Gateway_;
    const TSetupState& Setup_;
    TLogCount Rows_;
    TMixerHost& Host_;
    Clock& Clock_;
    TSupervisor Supervisor_;
    TPlanResult LastPlan_;
    std::optional<TPlanUncertainty> LastUncertainty_;
    std::optional<TAlarm> Alarm_;
    TProgramRunner Program_;
    bool FlushRunning_ = false;
    unsigned FlushesEnded_ = 0;
    unsigned FlushStep_ = 0;     // the step holding now
    double FlushHoldEnd_ = 0.0;  // day count its hold ends
    bool WindowClosing_ = false;
    // The missing vapour pressure has been reported in this dilution.
    bool NoWaterReported_ = false;
    // A pulse set-point raised to its controller's minimum has been reported
    // in this plan, for gas A and gas B.
    bool PulseFloorReported_[2] = {false, false};
    // How long the relay board's last valve exchange took (day count).
    double RelayExchangeDays_ = 0.0;
    // This tick's pulse of gas B goes through the bubbler.
    bool WetPulseGiven_ = false;
    TDeliveryRules Rules_;
    std::optional<THeldEntry> HeldEntry_;
    std::optional<TLastDilution> LastDilution_;
};
