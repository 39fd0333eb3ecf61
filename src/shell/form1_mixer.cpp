// The window's side of the mixer: the mixer service (the core on the
// window's thread or on its own), and the host through which the core's
// reports reach the window's controls. The four state buttons go to the core
// as commands.
#include "form1.h"

#include "log_table_model.h"
#include "mixer_core.h"
#include "operator_dialogs.h"
#include "rt_double_edit.h"
#include "rt_integer_edit.h"
#include "valve_graphics.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <deque>
#include <stdexcept>

namespace {

// The Debug page's memo gets several lines a tick for days; it keeps the
// most recent lines only.
constexpr int DevFeedbackLines = 50000;

}  // namespace

class TForm1::MixerHost final : public TMixerHost {
public:
    explicit MixerHost(TForm1& form)
        : F(form)
    {
    }

    void ShowStatus(const QString& text) override { F.LabelStatus->setText(text); }
    void ShowPlanReport(const QString& text) override
    {
        if (text.isEmpty())
            F.Memo4->clear();
        else
            F.Memo4->setPlainText(text);
    }
    void AddPlanLine(const QString& line) override { AddMemoLine(F.Memo4, line); }
    void AddDevFeedbackLine(const QString& line) override { AddMemoLine(F.MemoDevFeedback, line); }
    void ShowMessage(const QString& text) override
    {
        // One box at a time: a message that arrives while one is open (its
        // box runs the event loop) follows when it has been closed.
        Pending_.push_back(text);
        if (Showing_)
            return;
        Showing_ = true;
        try {
            while (!Pending_.empty()) {
                const QString next = Pending_.front();
                Pending_.pop_front();
                F.Dialogs_.ShowMessage(&F, next);
            }
        } catch (...) {
            Pending_.clear();
            Showing_ = false;
            throw;
        }
        Showing_ = false;
    }
    void ShowError(const QString& text) override { F.ShowError(text); }
    void ShowAlarm(const QString& line) override
    {
        F.LabelAlarm->setText(line);
        F.PanelAlarm->show();
        F.LabelReadoutAlarm->setText(line);
    }
    void ClearAlarm() override
    {
        F.PanelAlarm->hide();
        F.LabelAlarm->clear();
        F.LabelReadoutAlarm->clear();
    }
    void ShowpH2O(double atm) override { F.RtIntegerEditpH2O->SetValue(atm); }
    void ShowMixture(const TMixtureFields& fields) override { F.ShowMixture(fields); }
    void ShowReadout(const TReadout& readout) override { F.RefreshReadout(readout); }
    void ShowValves(std::uint8_t pattern) override
    {
        for (unsigned id = 1; id <= 6; ++id)
            ::SetValveGraphics(F.Schematic, id, (pattern >> (id - 1)) & 1);
        F.RefreshSchematic();
    }
    void ShowSetup(const TSetupState& setup) override { F.ShowSetup(setup); }
    void AddSetupFeedbackLine(const QString& line) override { AddMemoLine(F.MemoSetupFeedback, line); }
    void StoreLogRow(const TLogRowValues& values, const TReadout& now) override
    {
        F.RowReadout_ = now;
        F.ShowStoredRow(F.LogTable->StoreRow(values));
    }
    void StoreLogMarker() override { LastMarker_ = F.LogTable->StoreMarker(); }
    void AttachPlanReport(const QString& report) override { F.LogTable->AttachReport(LastMarker_, report); }
    void ProgramRunning(bool running) override { F.ShowProgramRunning(running); }
    void ShowProgramProgress(const QString& text) override { F.LabelProgram->setText(text); }
    void ShowProgramStep(int index, const TProgramStep& step) override { F.ShowProgramStep(index, step); }

private:
    TForm1& F;
    int LastMarker_ = -1;
    std::deque<QString> Pending_;
    bool Showing_ = false;
};

void TForm1::SetUpMixer()
{
    MixerHost_ = std::make_unique<MixerHost>(*this);
    Service_ = std::make_unique<TMixerService>(Lines_, Clock_, *MixerHost_, RigThread_);

    // AddMemoLine ends every line with a break, so the document holds one
    // empty block below the last line.
    MemoDevFeedback->setMaximumBlockCount(DevFeedbackLines + 1);

    connect(ButtonStop, &QPushButton::clicked, this, [this] { Guarded([this] { ButtonStopClick(); }); });
    connect(ButtonFlush, &QPushButton::clicked, this, [this] { Guarded([this] { ButtonFlushClick(); }); });
    connect(ButtonBypass, &QPushButton::clicked, this, [this] { Guarded([this] { ButtonBypassClick(); }); });
    connect(ButtonDilution, &QPushButton::clicked, this, [this] { Guarded([this] { ButtonDilutionClick(); }); });
    connect(ButtonAlarmAcknowledge, &QPushButton::clicked, this,
            [this] { Guarded([this] { ButtonAlarmAcknowledgeClick(); }); });
}

TMixerCore& TForm1::Core()
{
    return Service_->Core();
}

void TForm1::ShowMixture(const TMixtureFields& fields)
{
    // An answer to a request the operator has typed past is left alone.
    if (fields.Request != 0 && fields.Request != MixtureRequest_)
        return;
    // The handler's own writes to the fields come back to it; the field the
    // operator is typing into keeps its text and cursor unless the value
    // changes.
    ppmUpdating = true;
    try {
        if (RtIntegerEditGasAPPM->Value() != fields.a)
            RtIntegerEditGasAPPM->SetValue(fields.a);
        RtIntegerEditGasBPPM->SetValue(fields.b);
        if (RtIntegerEditH2Oppm->Value() != fields.w)
            RtIntegerEditH2Oppm->SetValue(fields.w);
    } catch (...) {
        ppmUpdating = false;
        throw;
    }
    ppmUpdating = false;
}

void TForm1::MixerWindowClosing()
{
    // The closing commands have gone out: no further tick.
    Timer1->stop();
}

void TForm1::ButtonStopClick()
{
    Service_->Post([](TMixerCore& c) { c.Mixer.ButtonStopClick(); });
    // Every valve closed and both set-points zero as soon as the rig's
    // thread is free.
    Service_->TickSoon();
}

void TForm1::ButtonFlushClick()
{
    Service_->Post([](TMixerCore& c) { c.Mixer.ButtonFlushClick(); });
}

void TForm1::ButtonBypassClick()
{
    Service_->Post([](TMixerCore& c) { c.Mixer.ButtonBypassClick(); });
}

void TForm1::ButtonDilutionClick()
{
    Service_->Post([](TMixerCore& c) { c.Mixer.ButtonDilutionClick(); });
}

void TForm1::Timer1Timer()
{
    Service_->Tick();
}

void TForm1::ButtonAlarmAcknowledgeClick()
{
    Service_->Post([](TMixerCore& c) { c.Mixer.AcknowledgeAlarm(); });
}
