// The mixture asked for, from the operator's typing, a remote command or a
// program's step: the bubbler read, the mixer stopped, gas B the rest of a
// million, the water held to what the bubbler can deliver, then a plan.
#include "mixer.h"

#include "equipment_gateway.h"
#include "limit_messages.h"
#include "mixer_host.h"
#include "thermistor.h"
#include "water_limits.h"

void TMixer::ReadBubbler()
{
    const TBubblerReading reading = Gateway_.ReadBubbler();
    for (const std::string& line : reading.Lines)
        Host_.AddDevFeedbackLine(QString::fromStdString(line));
    // A failed or impossible reading leaves the last sound vapour pressure.
    if (reading.PressureATM) {
        S_.pH2O = *reading.PressureATM;
        if (reading.Thermistor) {
            S_.BubblerC = reading.Thermistor->TemperatureC;
            S_.BubblerStepC = ConverterStepC(reading.Thermistor->Dac);
        }
        Host_.ShowpH2O(S_.pH2O);
    }
}

TSettledMixture TMixer::SetMixture(std::int32_t a, std::int32_t w, TMixtureSource source, std::uint64_t request,
                                   TMixtureEntry entry)
{
    // The operator has taken over from a running program.
    if (source != TMixtureSource::Program)
        Program_.Stop(source == TMixtureSource::Remote ? QStringLiteral("a ppm asked remotely")
                                                       : QStringLiteral("a ppm typed"));

    // A reading that fails leaves the last sound vapour pressure, and that
    // is what the limits use.
    ReadBubbler();
    return SettleMixture(a, w, source, request, entry);
}

TSettledMixture TMixer::SettleMixture(std::int32_t a, std::int32_t w, TMixtureSource source, std::uint64_t request,
                                      TMixtureEntry entry)
{
    if (source != TMixtureSource::Program)
        Program_.Stop(source == TMixtureSource::Remote ? QStringLiteral("a ppm asked remotely")
                                                       : QStringLiteral("a ppm typed"));
    const double p = S_.pH2O;

    // A running mixture no longer matches the request.
    S_.MixerState = TMixerState::Standby;
    Host_.ShowStatus(QStringLiteral("Standby"));
    // A newer request replaces one still being typed.
    HeldEntry_.reset();

    TSettledMixture settled;
    S_.Request = {a, 1000000 - a - w, w};
    Host_.ShowMixture({a, S_.Request.b, w, request});

    // The plan always gets the water as the limits hold it; only what the
    // operator sees and is told waits while the value is being typed.
    const TWaterLimits limits = ApplyWaterLimits(a, w, p);
    if (limits.W != w)
        S_.Request = {a, limits.B, limits.W};
    if (limits.W != w && entry == TMixtureEntry::Typing && source == TMixtureSource::Operator) {
        HeldEntry_ = THeldEntry{a, w, limits, p, request};
    } else {
        if (source == TMixtureSource::Operator) {
            for (const QString& message : OperatorLimitMessages(a, w, p, limits))
                Host_.ShowMessage(message);
        } else if (source == TMixtureSource::Remote) {
            for (const QString& message : OperatorLimitMessages(a, w, p, limits))
                Trace(message);
        } else {
            for (const QString& message : limits.Messages)
                Trace(message);
        }
        if (limits.W != w)
            Host_.ShowMixture({a, limits.B, limits.W, request});
    }
    settled.a = a;
    settled.b = limits.B;
    settled.w = limits.W;
    settled.Messages = limits.Messages;
    settled.Planned = Calculate();
    return settled;
}

void TMixer::EndMixtureEntry()
{
    if (!HeldEntry_)
        return;
    const THeldEntry held = *HeldEntry_;
    HeldEntry_.reset();
    for (const QString& message : OperatorLimitMessages(held.a, held.w, held.pH2O, held.Limits))
        Host_.ShowMessage(message);
    Host_.ShowMixture({held.a, held.Limits.B, held.Limits.W, held.Request});
}

void TMixer::SetRecords(const TRecords& records)
{
    S_.Records = records;
}
