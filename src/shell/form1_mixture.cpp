// The mixture the operator asks for: ppm of gas A and of water go to the
// core, which derives gas B, holds the water to what the bubbler can
// deliver and plans; the fields show what it settled.
#include "form1.h"

#include "mixer_core.h"
#include "rt_integer_edit.h"

void TForm1::ConnectMixtureInputs()
{
    // Attached after the fields have their limits and start values, so
    // setting them up raised nothing.
    const TNotifyEvent changed
        = [this](QObject* sender) { Guarded([this, sender] { RtIntegerEditGasAPPMValueChanged(sender); }); };
    RtIntegerEditGasAPPM->OnValueChanged = changed;
    RtIntegerEditGasBPPM->OnValueChanged = changed;
    RtIntegerEditH2Oppm->OnValueChanged = changed;
    const TNotifyEvent done = [this](QObject*) { Guarded([this] { RtIntegerEditPpmEditingDone(); }); };
    RtIntegerEditGasAPPM->OnEditingDone = done;
    RtIntegerEditH2Oppm->OnEditingDone = done;
}

void TForm1::RtIntegerEditPpmEditingDone()
{
    // A correction held back while the operator typed is shown, and told,
    // now that the entry has ended.
    Service_->Post([](TMixerCore& c) { c.Mixer.EndMixtureEntry(); });
}

void TForm1::RtIntegerEditGasAPPMValueChanged(QObject* Sender)
{
    // The handler's own writes to the fields come back here.
    if (ppmUpdating)
        return;
    const std::int32_t a = RtIntegerEditGasAPPM->Value();
    const std::int32_t w = RtIntegerEditH2Oppm->Value();

    // Every accepted value is read, stopped and planned at once. While the
    // operator types, the water limits hold the plan but neither the fields
    // nor a message box change anything: "1" on the way to "150" must not
    // become a corrected mixture, nor a box take the keys still to come.
    // Ending the entry shows the correction, if one is still due.
    const auto* field = qobject_cast<const TRtEditBase*>(Sender);
    const TMixtureEntry entry = field && field->Typing() ? TMixtureEntry::Typing : TMixtureEntry::Ended;

    // The bubbler read, Standby, gas B derived, the water held between its
    // limits, a plan; the fields show what was settled unless the operator
    // has typed on meanwhile.
    const std::uint64_t request = ++MixtureRequest_;
    Service_->Post(
        [a, w, request, entry](TMixerCore& c) { c.Mixer.SetMixture(a, w, TMixtureSource::Operator, request, entry); });
}
