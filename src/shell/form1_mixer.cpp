// The window's side of the mixer: the equipment gateway on the Setup page's
// port selections, the mixer core, and the host through which the core
// shows its status, report and trace in the window. The four state buttons
// and the tick go straight to the core.
#include "form1.h"

#include "clock.h"
#include "operator_dialogs.h"
#include "list_selection.h"
#include "rt_double_edit.h"
#include "rt_integer_edit.h"
#include "valve_graphics.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

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
    void ProcessMessages() override { QCoreApplication::processEvents(); }
    void SetTimerEnabled(bool enabled) override
    {
        if (enabled)
            F.Timer1->start();
        else
            F.Timer1->stop();
    }
    void ShowMessage(const QString& text) override { F.Dialogs_.ShowMessage(&F, text); }
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
    TMixRequest MixRequest() const override { return F.MixRequest(); }
    double pH2O() const override { return F.RtIntegerEditpH2O->Value(); }
    void ShowpH2O(double atm) override { F.RtIntegerEditpH2O->SetValue(atm); }
    void ShowMixture(std::int32_t a, std::int32_t b, std::int32_t w) override
    {
        // The field the operator is typing into keeps its text and cursor
        // unless the value changes.
        if (F.RtIntegerEditGasAPPM->Value() != a)
            F.RtIntegerEditGasAPPM->SetValue(a);
        F.RtIntegerEditGasBPPM->SetValue(b);
        if (F.RtIntegerEditH2Oppm->Value() != w)
            F.RtIntegerEditH2Oppm->SetValue(w);
    }
    void RowStored(int row) override { F.ShowStoredRow(row); }
    void ProgramRunning(bool running) override { F.ShowProgramRunning(running); }
    void ShowProgramProgress(const QString& text) override { F.LabelProgram->setText(text); }
    void ShowProgramStep(int index, const TProgramStep& step) override { F.ShowProgramStep(index, step); }

private:
    TForm1& F;
};

void TForm1::SetUpMixer()
{
    // Every command reads the port selected at that moment.
    TEquipmentPorts ports;
    ports.Relay = [this] { return SelectedText(ListBoxPortSolenoid); };
    ports.Controllers = [this] { return SelectedText(ListBoxPortMFC); };
    Gateway_ = std::make_unique<TEquipmentGateway>(Lines_, Clock_, std::move(ports));
    Gateway_->OnValvesAccepted = [this](std::uint8_t pattern) { ShowAcceptedValves(pattern); };

    MixerHost_ = std::make_unique<MixerHost>(*this);
    Mixer_ = std::make_unique<TMixer>(WindowState, *Gateway_, *LogTable, *MixerHost_, Clock_);

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

void TForm1::ShowAcceptedValves(std::uint8_t pattern)
{
    TWindowState& w = WindowState;
    bool* flags[] = {&w.V1O, &w.V2O, &w.V3O, &w.V4O, &w.V5O, &w.V6O};
    for (unsigned id = 1; id <= 6; ++id) {
        *flags[id - 1] = (pattern >> (id - 1)) & 1;
        ::SetValveGraphics(Schematic, id, *flags[id - 1]);
    }
    RefreshSchematic();
}

void TForm1::MixerWindowClosing()
{
    // The closing commands have gone out: no further tick, and a flush in
    // progress ends without opening a valve again.
    Timer1->stop();
    Mixer_->WindowClosing();
}

void TForm1::ButtonStopClick()
{
    Mixer_->ButtonStopClick();
}

void TForm1::ButtonFlushClick()
{
    Mixer_->ButtonFlushClick();
}

void TForm1::ButtonBypassClick()
{
    Mixer_->ButtonBypassClick();
}

void TForm1::ButtonDilutionClick()
{
    Mixer_->ButtonDilutionClick();
}

void TForm1::Timer1Timer()
{
    // The readout shows what this tick read, also when the tick failed.
    try {
        Mixer_->Timer1Timer();
    } catch (...) {
        RefreshReadout();
        throw;
    }
    RefreshReadout();
}

void TForm1::ButtonAlarmAcknowledgeClick()
{
    Mixer_->AcknowledgeAlarm();
}
