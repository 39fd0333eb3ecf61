#pragma once

#include "flow_program.h"

#include <QString>

#include <cstdint>
#include <string>

// The mixture the operator asks for, as the Operation and Setup pages hold
// it at the moment of planning: ppm of gas A, gas B and water, and the two
// gases chosen (empty when a gas list has no selection).
struct TMixRequest {
    std::string GasA;
    std::string GasB;
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::int32_t w = 0;

    bool GasesChosen() const { return !GasA.empty() && !GasB.empty(); }
};

// What the mixer core needs of whoever shows it (the main window, or a run
// without a window): the status text, the plan report and the diagnostic
// lines, the message queue and the timer, messages and the alarm line, the
// request and the bubbler's vapour pressure, and a running flow program. The equipment is reached through the gateway,
// the log through the log table.
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
    // Handles the window's pending messages once: repaints, clicks, a close.
    virtual void ProcessMessages() = 0;
    // Starts or stops Timer1.
    virtual void SetTimerEnabled(bool enabled) = 0;
    // A message to the operator (a refused button).
    virtual void ShowMessage(const QString& text) = 0;
    // Shows the alarm line (time and cause) without stopping anything, and
    // keeps it until ClearAlarm: the operator has acknowledged it.
    virtual void ShowAlarm(const QString& line) = 0;
    virtual void ClearAlarm() = 0;

    // The request on the Operation page and the gases on the Setup page.
    virtual TMixRequest MixRequest() const = 0;
    // The water vapour pressure at the bubbler (atm), as the pH2O field shows it.
    virtual double pH2O() const = 0;
    // A sound bubbler reading's vapour pressure, for the pH2O field.
    virtual void ShowpH2O(double atm) = 0;
    // The request's fields as settled: gas A, gas B and water, ppm.
    virtual void ShowMixture(std::int32_t a, std::int32_t b, std::int32_t w) = 0;

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
    // A log row was stored in data row `row` (the window scrolls to it).
    virtual void RowStored(int row) { (void)row; }
};
