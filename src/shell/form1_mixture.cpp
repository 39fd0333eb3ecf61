// The mixture the operator asks for: ppm of gas A and of water, gas B the
// rest, the water request held to what the bubbler can deliver, then a new
// plan.
#include "form1.h"

#include "rt_integer_edit.h"

void TForm1::ConnectMixtureInputs()
{
    // Attached after the fields have their limits and start values, so
    // setting them up raised nothing.
    const TNotifyEvent changed = [this](QObject*) { Guarded([this] { RtIntegerEditGasAPPMValueChanged(); }); };
    RtIntegerEditGasAPPM->OnValueChanged = changed;
    RtIntegerEditGasBPPM->OnValueChanged = changed;
    RtIntegerEditH2Oppm->OnValueChanged = changed;
}

void TForm1::RtIntegerEditGasAPPMValueChanged()
{
    // The handler's own writes to the fields come back here.
    if (WindowState.ppmUpdating)
        return;
    // The bubbler read, Standby, gas B derived, the water held between its
    // limits (modal messages), a plan; a running program stops.
    Mixer_->SetMixture(RtIntegerEditGasAPPM->Value(), RtIntegerEditH2Oppm->Value(), TMixtureSource::Operator);
}
