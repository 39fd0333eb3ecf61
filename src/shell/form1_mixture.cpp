// The mixture the operator asks for: ppm of gas A and of water, gas B the
// rest, the water request held to what the bubbler can deliver, then a new
// plan.
#include "form1.h"

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
    if (WindowState.ppmUpdating)
        return;
    // The operator has taken over from a running program.
    Mixer_->Program().Stop(QStringLiteral("a ppm typed"));

    // A reading that fails leaves the last sound vapour pressure in the
    // field, and that is what the limits use.
    RtIntegerEditH2OTempValueChanged();
    const double p = RtIntegerEditpH2O->Value();

    // The first digits of a water value being typed are mostly below the
    // minimum ("7" on the way to "7300"): while the operator types, such a
    // value is neither corrected nor planned, and the mixture goes on as it
    // is. Ending the entry applies the minimum. Too much water is corrected
    // at once, since more digits only make it more.
    if (Sender == RtIntegerEditH2Oppm && RtIntegerEditH2Oppm->Typing()
        && ApplyWaterLimits(RtIntegerEditGasAPPM->Value(), RtIntegerEditH2Oppm->Value(), p).RaisedToMinimum) {
        H2OMinimumPending_ = true;
        return;
    }
    H2OMinimumPending_ = false;

    // Standby, gas B derived, the water held between its limits (modal
    // messages), a plan.
    Mixer_->SettleMixture(RtIntegerEditGasAPPM->Value(), RtIntegerEditH2Oppm->Value(), TMixtureSource::Operator);
}
