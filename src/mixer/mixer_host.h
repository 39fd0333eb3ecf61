#pragma once

#include "flow_program.h"
#include "log_row.h"
#include "readout.h"

#include <QString>

#include <cstdint>
#include <string>

struct TSetupState;

// The three ppm fields as a mixture request settled them. `Request` is the
// number the client gave the request it answers (0 for one the core made
// itself, a program's step): a client that has sent a newer request since
// leaves its fields as they are.
struct TMixtureFields {
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::int32_t w = 0;
    std::uint64_t Request = 0;
};

// What the mixer core reports to whoever shows it: the main window, a run
// without a window, the remote server's console. It only reports; the core
// never asks its host anything. Each report carries its values, so a host
// on another thread gets them in order through a queue.
class TMixerHost {
public:
    virtual ~TMixerHost() = default;

    // The caption of LabelStatus.
    virtual void ShowStatus(const QString& text) = 0;
    // The plan report replaces Memo4's text; an empty text clears it.
    virtual void ShowPlanReport(const QString& text) = 0;
    // One line at the end of Memo4 (below the plan report).
    virtual void AddPlanLine(const QString& line) = 0;
    // One line at the end of MemoDevFeedback (the Debug page).
    virtual void AddDevFeedbackLine(const QString& line) = 0;
    // A message to the operator (a refused button, a corrected request).
    virtual void ShowMessage(const QString& text) = 0;
    // An error a command or a tick ended with, shown as the toolkit's error
    // box shows one.
    virtual void ShowError(const QString& text) { ShowMessage(text); }
    // Shows the alarm line (time and cause) without stopping anything, and
    // keeps it until ClearAlarm: the operator has acknowledged it.
    virtual void ShowAlarm(const QString& line) = 0;
    virtual void ClearAlarm() = 0;

    // A sound bubbler reading's vapour pressure, for the pH2O field.
    virtual void ShowpH2O(double atm) = 0;
    // The request's fields as settled: gas A, gas B and water, ppm.
    virtual void ShowMixture(const TMixtureFields& fields) = 0;
    // What is being delivered, at the end of every tick.
    virtual void ShowReadout(const TReadout& readout) { (void)readout; }
    // The valve pattern the relay board accepted (bit 0 = V1).
    virtual void ShowValves(std::uint8_t pattern) { (void)pattern; }

    // The setup: ports, marks and gases after every change, and the lines
    // of the equipment's check for the Setup page's feedback.
    virtual void ShowSetup(const TSetupState& setup) { (void)setup; }
    virtual void AddSetupFeedbackLine(const QString& line) { (void)line; }

    // The log: a row describing the moment (with the readout of that
    // moment), a "Reset" marker, and the plan report made at the newest
    // marker. Whoever keeps the log's table takes them in this order.
    virtual void StoreLogRow(const TLogRowValues& values, const TReadout& now) = 0;
    virtual void StoreLogMarker() = 0;
    virtual void AttachPlanReport(const QString& report) = 0;

    // A flow program: whether one runs, its progress ("Step 2 of 5, 12:30
    // left", then how it ended), and a step as it is run (its water as the
    // limits corrected it), `index` from 0.
    virtual void ProgramRunning(bool running) { (void)running; }
    virtual void ShowProgramProgress(const QString& text) { (void)text; }
    virtual void ShowProgramStep(int index, const TProgramStep& step)
    {
        (void)index;
        (void)step;
    }
};
