// The mixture the operator asks for: ppm of gas A and of water, gas B the
// rest, the water request held to what the bubbler can deliver, then a new
// plan.
#include "form1.h"

#include "operator_dialogs.h"
#include "rt_double_edit.h"
#include "rt_integer_edit.h"
#include "water_limits.h"

#include <QLabel>

namespace {

// Clears a flag however the scope is left.
class ClearOnExit {
public:
    explicit ClearOnExit(bool& flag)
        : Flag_(flag)
    {
    }
    ~ClearOnExit() { Flag_ = false; }
    ClearOnExit(const ClearOnExit&) = delete;
    ClearOnExit& operator=(const ClearOnExit&) = delete;

private:
    bool& Flag_;
};

}  // namespace

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
    TWindowState& s = WindowState;
    // The handler's own writes to the fields come back here.
    if (s.ppmUpdating)
        return;

    // A reading that fails leaves the last sound vapour pressure in the
    // field, and that is what the limits use.
    RtIntegerEditH2OTempValueChanged();
    const double p = RtIntegerEditpH2O->Value();

    // A running mixture no longer matches the request.
    s.MixerState = TMixerState::Standby;
    LabelStatus->setText(QStringLiteral("Standby"));

    {
        s.ppmUpdating = true;
        const ClearOnExit cleared(s.ppmUpdating);
        const std::int32_t a = RtIntegerEditGasAPPM->Value();
        const std::int32_t w = RtIntegerEditH2Oppm->Value();
        RtIntegerEditGasBPPM->SetValue(1000000 - a - w);

        const TWaterLimits limits = ApplyWaterLimits(a, w, p);
        for (const QString& message : limits.Messages)
            Dialogs_.ShowMessage(this, message);
        if (limits.W != w) {
            RtIntegerEditH2Oppm->SetValue(limits.W);
            RtIntegerEditGasBPPM->SetValue(limits.B);
        }
    }

    Calculate();
}
