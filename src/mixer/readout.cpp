// The readout beside the state buttons: the present log row's arithmetic
// against the plan, the totalizers' flows against the set-points, the
// bubbler and the log.
#include "mixer.h"

#include "clock.h"
#include "equipment_gateway.h"
#include "mfc_registers.h"
#include "time_units.h"

#include <cmath>
#include <exception>

namespace {

std::optional<double> Finite(double v)
{
    return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

// The flow over the newest ReadoutFlowSeconds of readings, or over one
// second while the readings do not reach that far back; none when the
// controller has not been read lately.
std::optional<double> RecentFlow(const TEquipmentGateway& gateway, std::uint32_t address, double now)
{
    const auto& history = gateway.TotalizerHistory(address);
    if (history.empty() || (now - history.back().At) * SecondsPerDay > ReadoutStaleSeconds)
        return std::nullopt;
    std::optional<double> flow = gateway.MeasuredFlow(address, ReadoutFlowSeconds);
    if (!flow)
        flow = gateway.MeasuredFlow(address, 1.0);
    return flow ? Finite(*flow) : std::nullopt;
}

}  // namespace

TReadout TMixer::Readout() const
{
    TReadout r;
    const double now = Clock_.now();
    const bool diluting = S_.MixerState == TMixerState::Dilution;
    r.DeliveryLive = diluting;
    if (diluting) {
        r.ElapsedDays = now - S_.DilutionStartTime;
        // The delivered fractions are the log's own: the row StoreData would
        // store now. A row that cannot be made leaves them out.
        try {
            const TLogRowValues row = PresentRow();
            if (row.Has(TProperty::ppmA))
                r.PpmA = Finite(row.Number(TProperty::ppmA));
            if (row.Has(TProperty::ppmH2O))
                r.PpmH2O = Finite(row.Number(TProperty::ppmH2O));
        } catch (const std::exception&) {
        }
    } else if (LastDilution_) {
        // Outside Dilution the totalizers count whatever flows now (gas B
        // alone in Bypass and in the flush): the delivery shown is the last
        // dilution's, as its last tick saw it.
        r.ElapsedDays = LastDilution_->ElapsedDays;
        r.PpmA = LastDilution_->PpmA;
        r.PpmH2O = LastDilution_->PpmH2O;
        r.DilutionEndedWall = LastDilution_->EndedWall ? LastDilution_->EndedWall : Clock_.wallNow();
    }
    if (LastPlan_.MixingMethod != TMixingMethod::None) {
        r.PlannedPpmA = LastPlan_.a;
        r.PlannedPpmH2O = LastPlan_.w;
    }
    // The target's uncertainty as the same share of it as of what is
    // expected (which differs from the target where the cylinder's
    // certificate does from its nominal fraction).
    if (LastUncertainty_ && r.PlannedPpmA) {
        const auto share
            = [](const TDeliveryUncertainty& d) { return d.ExpectedPpm > 0.0 ? d.ExpandedPpm / d.ExpectedPpm : 0.0; };
        r.PlannedUncertaintyA = share(LastUncertainty_->GasA) * *r.PlannedPpmA;
        if (LastUncertainty_->Water)
            r.PlannedUncertaintyH2O = share(*LastUncertainty_->Water) * *r.PlannedPpmH2O;
    }

    // Only Dilution and Bypass read the totalizers: in the other states a
    // reading still in the history is no flow of now.
    if (diluting || S_.MixerState == TMixerState::Bypass) {
        r.FlowA = RecentFlow(Gateway_, AddressGasA, now);
        r.FlowB = RecentFlow(Gateway_, AddressGasB, now);
    }
    // A pulsed gas's set-point swings between a pulse and zero: its target
    // is the plan's average flow, which its measured flow is held to.
    const bool pulsedA = GasAPulsed(LastPlan_.MixingMethod);
    const bool pulsedB = GasBPulsed(LastPlan_.MixingMethod);
    if (pulsedA && diluting)
        r.SetPointA = S_.DesiredFlowAGramsperMinute;
    else if (const auto sp = Gateway_.SetPoint(AddressGasA))
        r.SetPointA = *sp;
    if (pulsedB && diluting)
        r.SetPointB = S_.DesiredFlowBGramsperMinute;
    else if (const auto sp = Gateway_.SetPoint(AddressGasB))
        r.SetPointB = *sp;

    const auto& bubbler = Gateway_.LastBubblerReading();
    if (bubbler && bubbler->Thermistor)
        r.BubblerC = bubbler->Thermistor->TemperatureC;

    r.LogRows = Rows_.StoredRows();
    return r;
}

void TMixer::FollowDelivery()
{
    if (S_.MixerState == TMixerState::Dilution) {
        // A tick whose readings failed (a controller fallen silent just
        // before the alarm) keeps what this dilution had delivered before.
        const TReadout live = Readout();
        const bool same = LastDilution_ && LastDilution_->StartTime == S_.DilutionStartTime;
        LastDilution_ = TLastDilution{S_.DilutionStartTime, live.ElapsedDays.value_or(0.0),
                                      live.PpmA || !same ? live.PpmA : LastDilution_->PpmA,
                                      live.PpmH2O || !same ? live.PpmH2O : LastDilution_->PpmH2O, std::nullopt};
    } else if (LastDilution_ && !LastDilution_->EndedWall) {
        LastDilution_->EndedWall = Clock_.wallNow();
    }
}
