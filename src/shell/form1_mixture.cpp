// The mixture the operator asks for: ppm of gas A and of water go to the
// core, which derives gas B, holds the water to what the bubbler can
// deliver and plans; the fields show what it settled.
#include "form1.h"

#include "mixer_core.h"
#include "rt_double_edit.h"
#include "rt_integer_edit.h"
#include "water_limits.h"

void TForm1::ConnectMixtureInputs()
{
    // Attached after the fields have their limits and start values, so
    // setting them up raised nothing.
    const TNotifyEvent changed
        = [this](QObject* sender) { Guarded([this, sender] { RtIntegerEditGasAPPMValueChanged(sender); }); };
    RtIntegerEditGasAPPM->OnValueChanged = changed;
    RtIntegerEditGasBPPM->OnValueChanged = changed;
    RtIntegerEditH2Oppm->OnValueChanged = changed;
    RtIntegerEditH2Oppm->OnEditingDone = [this](QObject*) { Guarded([this] { RtIntegerEditH2OppmEditingDone(); }); };
}

void TForm1::RtIntegerEditH2OppmEditingDone()
{
    // A water value left below the minimum while it was typed is held to it
    // now that the operator has finished.
    if (!H2OMinimumPending_)
        return;
    H2OMinimumPending_ = false;
    RtIntegerEditGasAPPMValueChanged();
}

void TForm1::RtIntegerEditGasAPPMValueChanged(QObject* Sender)
{
    // The handler's own writes to the fields come back here.
    if (ppmUpdating)
        return;
    const std::int32_t a = RtIntegerEditGasAPPM->Value();
    const std::int32_t w = RtIntegerEditH2Oppm->Value();

    // The first digits of a water value being typed are mostly below the
    // minimum ("7" on the way to "7300"): while the operator types, such a
    // value is neither corrected nor planned, and the mixture goes on as it
    // is. Ending the entry applies the minimum. Too much water is corrected
    // at once, since more digits only make it more. The operator has taken
    // over from a running program all the same.
    if (Sender == RtIntegerEditH2Oppm && RtIntegerEditH2Oppm->Typing()
        && ApplyWaterLimits(a, w, RtIntegerEditpH2O->Value()).RaisedToMinimum) {
        H2OMinimumPending_ = true;
        Service_->Post([](TMixerCore& c) {
            c.Mixer.Program().Stop(QStringLiteral("a ppm typed"));
            c.Mixer.ReadBubbler();
        });
        return;
    }
    H2OMinimumPending_ = false;

    // The bubbler read, Standby, gas B derived, the water held between its
    // limits (modal messages), a plan; the fields show what was settled
    // unless the operator has typed on meanwhile.
    const std::uint64_t request = ++MixtureRequest_;
    Service_->Post([a, w, request](TMixerCore& c) { c.Mixer.SetMixture(a, w, TMixtureSource::Operator, request); });
}
