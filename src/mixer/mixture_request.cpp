// The mixture asked for, from the operator's typing or a program's step:
// the bubbler read, the mixer stopped, gas B the rest of a million, the
// water held to what the bubbler can deliver, then a plan.
#include "mixer.h"

#include "equipment_gateway.h"
#include "mixer_host.h"
#include "water_limits.h"

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

void TMixer::ReadBubbler()
{
    const TBubblerReading reading = Gateway_.ReadBubbler();
    for (const std::string& line : reading.Lines)
        Host_.AddDevFeedbackLine(QString::fromStdString(line));
    // A failed or impossible reading leaves the last sound vapour pressure.
    if (reading.PressureATM)
        Host_.ShowpH2O(*reading.PressureATM);
}

TSettledMixture TMixer::SetMixture(std::int32_t a, std::int32_t w, TMixtureSource source)
{
    // The operator has taken over from a running program.
    if (source == TMixtureSource::Operator)
        Program_.Stop(QStringLiteral("a ppm typed"));

    // A reading that fails leaves the last sound vapour pressure, and that
    // is what the limits use.
    ReadBubbler();
    return SettleMixture(a, w, source);
}

TSettledMixture TMixer::SettleMixture(std::int32_t a, std::int32_t w, TMixtureSource source)
{
    if (source == TMixtureSource::Operator)
        Program_.Stop(QStringLiteral("a ppm typed"));
    const double p = Host_.pH2O();

    // A running mixture no longer matches the request.
    S_.MixerState = TMixerState::Standby;
    Host_.ShowStatus(QStringLiteral("Standby"));

    TSettledMixture settled;
    {
        // The host's writes to the fields come back to the fields' handler.
        S_.ppmUpdating = true;
        const ClearOnExit cleared(S_.ppmUpdating);
        Host_.ShowMixture(a, 1000000 - a - w, w);

        const TWaterLimits limits = ApplyWaterLimits(a, w, p);
        for (const QString& message : limits.Messages) {
            if (source == TMixtureSource::Operator)
                Host_.ShowMessage(message);
            else
                Trace(message);
        }
        if (limits.W != w)
            Host_.ShowMixture(a, limits.B, limits.W);
        settled.a = a;
        settled.b = limits.B;
        settled.w = limits.W;
        settled.Messages = limits.Messages;
    }
    settled.Planned = Calculate();
    return settled;
}
