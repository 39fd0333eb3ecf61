// The window's side of the mixer: the four state buttons, the tick and the
// delivery steps forward to TMixer, which reaches the window back through
// MixerHost.
#include "form1.h"

#include "clock.h"
#include "rt_double_edit.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

// The Debug page's memo gets several lines a tick for days; it keeps the
// most recent lines only.
constexpr int DevFeedbackLines = 50000;

} // namespace

class TForm1::MixerHost final : public TMixerHost {
public:
    explicit MixerHost(TForm1& form)
        : F(form)
    {
    }

    void ShowStatus(const QString& text) override { F.LabelStatus->setText(text); }
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
    void StoreData() override { F.StoreData(); }
    void Calculate() override { F.Calculate(); }
    double pH2O() const override { return F.RtIntegerEditpH2O->Value(); }
    void SetValvePositions(int iV1O, int iV2O, int iV3O, int iV4O, int iV5O, int iV6O) override
    {
        F.SetValvePositions(iV1O, iV2O, iV3O, iV4O, iV5O, iV6O);
    }
    TSerialResponse SetMFCFlow(std::uint32_t Address, double Flow) override { return F.SetMFCFlow(Address, Flow); }
    void ReadTotalizers() override { F.ReadTotalizers(); }
    void ResetRetrieveTotalizers() override { F.ResetRetrieveTotalizers(); }
    MfcBus Controllers() const override { return F.MfcOn(F.SelectedMfcPort()); }

private:
    TForm1& F;
};

void TForm1::SetUpMixer()
{
    MixerHost_ = std::make_unique<MixerHost>(*this);
    Mixer_ = std::make_unique<TMixer>(WindowState, *MixerHost_, Clock_);

    // AddMemoLine ends every line with a break, so the document holds one
    // empty block below the last line.
    MemoDevFeedback->setMaximumBlockCount(DevFeedbackLines + 1);

    connect(ButtonStop, &QPushButton::clicked, this, [this] { Guarded([this] { ButtonStopClick(); }); });
    connect(ButtonFlush, &QPushButton::clicked, this, [this] { Guarded([this] { ButtonFlushClick(); }); });
    connect(ButtonBypass, &QPushButton::clicked, this, [this] { Guarded([this] { ButtonBypassClick(); }); });
    connect(ButtonDilution, &QPushButton::clicked, this, [this] { Guarded([this] { ButtonDilutionClick(); }); });
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
    Mixer_->Timer1Timer();
}

void TForm1::ConstantFlow()
{
    Mixer_->ConstantFlow();
}

void TForm1::AinBPulse()
{
    Mixer_->AinBPulse();
}

void TForm1::SendH2O()
{
    Mixer_->SendH2O();
}
