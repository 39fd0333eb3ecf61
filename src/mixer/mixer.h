#pragma once

#include "window_state.h"

#include <QString>

class Clock;
class TMixerHost;
class TVoegtlinPort;

// The mixer's operation on the window's variables: the four state buttons,
// the 250 ms tick that logs and acts on the state, the flush sequence, and
// the delivery routines a dilution tick runs for the planned method. The
// equipment, the log and the planner are reached through the host (the
// window); all waits and every "now" go through the clock.
class TMixer {
public:
    TMixer(TWindowState& state, TMixerHost& host, Clock& clock);

    // The buttons record the state wanted and show it; Dilution also plans
    // the run, zeroes both totalizers and starts the dilution clock.
    void ButtonStopClick();
    void ButtonFlushClick();
    void ButtonBypassClick();
    void ButtonDilutionClick();

    // One tick: a log row at a change of state (or once a second while
    // flushing or diluting), then what the state asks of the equipment.
    void Timer1Timer();

    // The delivery steps of a dilution tick (delivery_methods.cpp).
    // Holds the dry path and sends the planned set-points not yet sent.
    void ConstantFlow();
    // One decision for gas A: a short pulse when its delivery lags the plan.
    void AinBPulse();
    // One decision for the bubbler: a pulse of gas B through it when the
    // time credited to it lags the water asked for; stores an "H2O pulse" row.
    void SendH2O();

    // Whether a flush is running (its message pumps let handlers run).
    bool FlushRunning() const { return FlushRunning_; }

    // The window is closing and has sent its own closing commands. A flush
    // in progress skips its remaining waits and valve steps and goes straight
    // to its end (gas B off, Standby, all valves closed); the timer is left
    // off. Nothing else is sent from then on by a running flush.
    void WindowClosing();

private:
    void LogStep();
    void Act();
    void HoldStandby();
    void HoldBypass();
    void Flush();
    void Dispatch();
    TVoegtlinPort ControllerPort() const;
    void Trace(const QString& line);

    TWindowState& S_;
    TMixerHost& Host_;
    Clock& Clock_;
    bool FlushRunning_ = false;
    bool WindowClosing_ = false;
    // The missing vapour pressure has been reported in this dilution.
    bool NoWaterReported_ = false;
};
