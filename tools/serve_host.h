#pragma once

#include "log_table_model.h"
#include "mixer_host.h"

#include <QString>

#include <cstdio>

// The host of a rig run without a window: it keeps the log's table (the
// journal follows it) and prints one line per change of state, alarm,
// message, program event and remote command on standard output, errors on
// standard error. Everything else a window would show is left out.
class TServeHost final : public TMixerHost {
public:
    TServeHost(std::FILE* out, std::FILE* err);

    // One line on standard output, at once.
    void Print(const QString& line);

    void ShowStatus(const QString& text) override;
    void ShowPlanReport(const QString&) override {}
    void AddPlanLine(const QString&) override {}
    void AddDevFeedbackLine(const QString& line) override;
    void ShowMessage(const QString& text) override;
    void ShowError(const QString& text) override;
    void ShowAlarm(const QString& line) override;
    void ClearAlarm() override;
    void ShowpH2O(double) override {}
    void ShowMixture(const TMixtureFields&) override {}
    void AddSetupFeedbackLine(const QString& line) override;
    void StoreLogRow(const TLogRowValues& values, const TReadout& now) override;
    void StoreLogMarker() override;
    void AttachPlanReport(const QString& report) override;
    void ProgramRunning(bool running) override;
    void ShowProgramProgress(const QString& text) override;
    void ShowProgramStep(int index, const TProgramStep& step) override;

    TLogTableModel Log;
    // The setup's transcript is printed while this is on.
    bool ShowSetupLines = true;

private:
    std::FILE* out_;
    std::FILE* err_;
    QString status_;
    QString progress_;
    bool alarmShown_ = false;
    int lastMarker_ = -1;
};
