#pragma once

#include "flow_program.h"

#include <QString>

#include <functional>
#include <optional>

class Clock;
class TMixer;
class TMixerHost;
struct TWindowState;

// Runs a flow program on the mixer, driven by the mixer's tick. Each step
// sets the mixture as the operator would (the water limits apply, their
// messages go to the Debug page, the corrected values back to the host),
// flushes first when the step asks for it and waits for the flush to end,
// rests a second in Standby, then starts the dilution and holds it for the
// step's minutes on the clock;
// the next step follows, and the program ends in Standby. Every step leaves
// its "Reset" markers and plans in the log as a manual change does. The
// mixer stops the program at an alarm, at any state button and at a typed
// ppm; the program stops itself when the mixer leaves the dilution.
class TProgramRunner {
public:
    TProgramRunner(TMixer& mixer, TWindowState& state, TMixerHost& host, Clock& clock);

    // Starts `program` at its first step. Refused, with a message to the
    // operator, while an alarm waits, while a flush runs, or for an empty
    // program; a running program is replaced.
    bool Start(const TFlowProgram& program);
    // Why Start would refuse `program` now, if it would.
    std::optional<QString> Refusal(const TFlowProgram& program) const;
    // Ends the running program (nothing when none runs) and says why; the
    // mixer is left as it is.
    void Stop(const QString& why);
    // Called at the end of every mixer tick: follows the flush and the hold,
    // moves to the next step when the hold is over, shows the progress.
    void Tick();

    bool Running() const { return Stage_ != TStage::Idle; }
    // The step running now (from 0), or the last one run.
    int Step() const { return Step_; }
    // The program as run, each step started so far with its corrected water.
    const TFlowProgram& Program() const { return Program_; }
    // "Step 2 of 5, 12:30 left" while a program runs.
    QString Progress() const;
    // The seconds of the running step that are left, as Progress counts
    // them (the whole hold until it has begun); 0 when none runs.
    long long SecondsLeft() const;

    // For a record of each step (a dry run keeps the equipment's record):
    // the step begins (before its plan and flush), its hold begins (the
    // dilution has started), the step ends (completed, or stopped).
    std::function<void(int step)> OnStepBegins;
    std::function<void(int step)> OnHoldBegins;
    std::function<void(int step, bool completed)> OnStepEnds;

    // The mixer rests in Standby this long before each step's dilution (after
    // its flush, if any), as between an operator's typing and Dilution: the
    // controllers have come to rest at zero before the totalizers are zeroed
    // for the step.
    static constexpr double SettleSeconds = 1.0;

private:
    enum class TStage { Idle, Starting, Flushing, Settling, Holding };
    void Settle();
    void BeginStep();
    void BeginHold();
    void Finish();
    void Report(const QString& text);
    double DaysLeft() const;

    TMixer& Mixer_;
    TWindowState& S_;
    TMixerHost& Host_;
    Clock& Clock_;
    TStage Stage_ = TStage::Idle;
    TFlowProgram Program_;
    int Step_ = 0;
    double SettleEnd_ = 0.0;      // day count
    double HoldEnd_ = 0.0;        // day count
    unsigned FlushesBefore_ = 0;  // flushes the mixer had ended when this step's began
};
