#include "dry_run.h"

#include "clock.h"
#include "compounds.h"
#include "equipment_gateway.h"
#include "feasibility_report.h"
#include "log_file.h"
#include "log_table_model.h"
#include "mfc_services.h"
#include "mixer_core.h"
#include "mixer_host.h"
#include "serial_lines.h"
#include "simulated_rig.h"
#include "time_units.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace {

constexpr double TickPeriodMs = 250.0;

// A clock that never waits: time moves on by every sleep and device wait,
// as on the fake clock of the tests, without keeping a record of them.
class DryRunClock final : public Clock {
public:
    explicit DryRunClock(double startDays)
        : startDays_(startDays)
    {
    }
    double now() const override { return startDays_ + static_cast<double>(elapsedNs_) / NsPerDay; }
    double wallNow() const override { return now(); }
    void sleepMs(unsigned ms) override { elapsedNs_ += static_cast<std::int64_t>(ms) * 1000000; }
    void deviceWaitMs(double ms) override { elapsedNs_ += static_cast<std::int64_t>(ms * 1.0e6); }

private:
    double startDays_;
    std::int64_t elapsedNs_ = 0;
};

// What a window shows, kept by a run without one: the status, the plan
// report with its added lines, the newest alarm and message, the vapour
// pressure and the log. The Debug page's trace is counted, not kept.
class DryRunHost final : public TMixerHost {
public:
    void ShowStatus(const QString& text) override { Status = text; }
    void ShowPlanReport(const QString& text) override { Report = text; }
    void AddPlanLine(const QString& line) override { Report += line + QLatin1Char('\n'); }
    void AddDevFeedbackLine(const QString&) override { ++TraceLines; }
    void ShowMessage(const QString& text) override { Message = text; }
    void ShowAlarm(const QString& line) override { Alarm = line; }
    void ClearAlarm() override {}
    void ShowpH2O(double atm) override { Pressure = atm; }
    void ShowProgramProgress(const QString& text) override { Progress = text; }
    void ShowMixture(const TMixtureFields&) override {}
    void StoreLogRow(const TLogRowValues& values, const TReadout&) override { Log.StoreRow(values); }
    void StoreLogMarker() override { LastMarker = Log.StoreMarker(); }
    void AttachPlanReport(const QString& report) override { Log.AttachReport(LastMarker, report); }

    QString Status;
    QString Report;
    QString Alarm;     // the newest alarm raised
    QString Message;   // the newest message to the operator
    QString Progress;  // a program's progress, or how it ended
    long long TraceLines = 0;
    double Pressure = 0.0;
    TLogTableModel Log;
    int LastMarker = -1;
};

double RelativeError(double delivered, double requested)
{
    if (requested == 0.0)
        return delivered == 0.0 ? 0.0 : std::copysign(INFINITY, delivered);
    return delivered / requested - 1.0;
}

}  // namespace

double DryRunTolerancePpm(double requestedPpm)
{
    return std::max(DryRunRelativeTolerance * std::fabs(requestedPpm), DryRunAbsoluteTolerancePpm);
}

double TDryRunResult::ErrorA() const
{
    return RelativeError(DeliveredPpmA, RequestedPpmA);
}

double TDryRunResult::ErrorH2O() const
{
    return RelativeError(DeliveredPpmH2O, RequestedPpmH2O);
}

bool TDryRunResult::AWithinTolerance() const
{
    return std::fabs(DeliveredPpmA - RequestedPpmA) <= DryRunTolerancePpm(RequestedPpmA);
}

namespace {

std::optional<bool> Within(double delivered, const std::optional<TDeliveryUncertainty>& expected)
{
    if (!expected)
        return std::nullopt;
    return std::fabs(delivered - expected->ExpectedPpm) <= expected->ExpandedPpm;
}

}  // namespace

std::optional<bool> TDryRunResult::AWithinUncertainty() const
{
    return Within(DeliveredPpmA, ExpectedA);
}

std::optional<bool> TDryRunResult::H2OWithinUncertainty() const
{
    return Within(DeliveredPpmH2O, ExpectedH2O);
}

bool TDryRunResult::H2OWithinTolerance() const
{
    return std::fabs(DeliveredPpmH2O - RequestedPpmH2O) <= DryRunTolerancePpm(RequestedPpmH2O);
}

struct TDryRun::TParts {
    explicit TParts(const TDryRunOptions& o)
        : Options(o)
        , TheClock(46365.0 + 10.0 / 24.0)
        , Rig(TheClock)
        , Core(Lines, TheClock, Host)
    {
    }

    TDryRunOptions Options;
    DryRunClock TheClock;
    SimulatedRig Rig;
    RegisteredSerialLines Lines;
    DryRunHost Host;
    TMixerCore Core;
    TWindowState& State = Core.State;
    TMixer& Mixer = Core.Mixer;
    // The equipment's record when the dilution started.
    struct TRecord {
        double At = 0.0;
        double GramsA = 0.0;
        double GramsB = 0.0;
        double WaterMoles = 0.0;
    };
    TRecord RecordNow()
    {
        const double now = TheClock.now();
        return {now, Rig.mfc.deliveredGrams(1, now), Rig.mfc.deliveredGrams(2, now), Rig.bubblerAt(now).WaterMoles()};
    }
    // What was delivered between two records, against the request.
    TDryRunResult Between(const TRecord& from, const TRecord& to, std::int32_t requestedA,
                          std::int32_t requestedH2O) const;
    TRecord Start;
    std::int32_t RequestedA = 0;
    std::int32_t RequestedH2O = 0;
};

TDryRun::TDryRun(const TDryRunOptions& options)
    : P_(std::make_unique<TParts>(options))
{
    TParts& p = *P_;
    const int positionA = GasListPosition(1, options.GasA);
    const int positionB = GasListPosition(2, options.GasB);
    if (positionA < 0 || positionB < 0)
        throw std::runtime_error("gas A must be O2 or 5%H2,95%Ar and gas B Ar or N2");

    p.Rig.registerOn(p.Lines);
    p.Rig.keepRecords(false);
    p.Rig.mfc.Response = options.Response;
    p.Rig.relay.BubblerTemperatureC = options.BubblerTempC;
    // Ranges given for the run become the controllers' gas tables.
    auto setRange = [&](int address, int position, const std::optional<TDryRunRange>& range) {
        if (!range)
            return;
        MfcGasTable table = *p.Rig.mfc.gasTable(address, GasTableNumber(position));
        table.FullScale = range->Max;
        table.DynamicRange = range->Dyn;
        p.Rig.mfc.setGasTable(address, table);
    };
    setRange(1, positionA, options.RangeA);
    setRange(2, positionB, options.RangeB);

    p.Host.Log.SetColumns(StandardLogColumns());
    p.Mixer.SetDeliveryRules(options.Rules);
    p.Mixer.SetRecords(options.Records);

    // The Setup page's steps: the ports, both devices validated, then each
    // gas chosen.
    TRigSetup& setup = p.Core.Setup;
    setup.SelectPorts(SimulatedRig::RelayPortName, SimulatedRig::MfcPortName);
    setup.Validate();
    if (!setup.State().SolenoidOK || !setup.State().MFCOK)
        throw std::runtime_error("the simulated equipment did not validate");
    if (!setup.SelectGas(1, positionA) || !setup.SelectGas(2, positionB))
        throw std::runtime_error("gas table: " + p.Host.Message.toStdString());
    const double setupSeconds = p.Rig.secondsSinceStart();
    for (TScheduledFault fault : options.Faults) {
        fault.Seconds += setupSeconds;
        p.Rig.scheduleFault(fault);
    }
}

TDryRun::~TDryRun() = default;

QStringList TDryRun::Request(std::int32_t ppmA, std::int32_t ppmH2O)
{
    TParts& p = *P_;
    // What the ppm handler does: the bubbler read, the mixer stopped, the
    // water held between its limits, a plan.
    const TSettledMixture settled = p.Mixer.SetMixture(ppmA, ppmH2O, TMixtureSource::Operator);
    p.RequestedA = settled.a;
    p.RequestedH2O = settled.w;
    return settled.Messages;
}

void TDryRun::StartDilution()
{
    TParts& p = *P_;
    p.Mixer.ButtonDilutionClick();
    p.Start = p.RecordNow();
}

void TDryRun::CountFromNow()
{
    P_->Start = P_->RecordNow();
}

void TDryRun::RunFor(double seconds)
{
    Clock& clock = P_->TheClock;
    const double end = clock.now() + seconds / SecondsPerDay;
    while (clock.now() < end) {
        const double start = clock.now();
        P_->Mixer.Timer1Timer();
        const double tookMs = (clock.now() - start) * MsPerDay;
        if (tookMs < TickPeriodMs)
            clock.deviceWaitMs(TickPeriodMs - tookMs);
    }
}

TDryRunResult TDryRun::Result()
{
    TParts& p = *P_;
    return p.Between(p.Start, p.RecordNow(), p.RequestedA, p.RequestedH2O);
}

TDryRunResult TDryRun::TParts::Between(const TRecord& from, const TRecord& to, std::int32_t requestedA,
                                       std::int32_t requestedH2O) const
{
    TDryRunResult r;
    r.Method = std::string(MixingMethodName(State.MixingMethod));
    r.Alarm = Host.Alarm.toStdString();
    r.Minutes = (to.At - from.At) * MinutesPerDay;
    r.RequestedPpmA = requestedA;
    r.RequestedPpmH2O = requestedH2O;
    r.GramsA = to.GramsA - from.GramsA;
    r.GramsB = to.GramsB - from.GramsB;
    const double waterMoles = to.WaterMoles - from.WaterMoles;
    r.GramsH2O = waterMoles * State.H2OC.MolarMass;
    r.GarbledReplies = Rig.mfc.garbledReplies();
    r.Replies = Rig.mfc.replies();

    const double molesA = r.GramsA * GetMolesPerGram(Options.GasA);
    const double molesB = r.GramsB * GetMolesPerGram(Options.GasB);
    const double total = molesA + molesB + waterMoles;
    if (total > 0.0) {
        const TCompound a = GetCompound(Options.GasA);
        const double nominal = a.Mixture ? a.C1VFraction : 1.0;
        const double fraction = Options.SourceFraction.value_or(Options.Records.Source(Options.GasA).Fraction);
        r.DeliveredPpmA = molesA / total * 1e6 * fraction / nominal;
        r.DeliveredPpmH2O = waterMoles / total * 1e6;
    }
    if (const std::optional<TPlanUncertainty>& u = Mixer.LastUncertainty()) {
        r.ExpectedA = u->GasA;
        r.ExpectedH2O = u->Water;
    }
    return r;
}

std::string TDryRun::Refusal() const
{
    const TPlanResult& plan = P_->Mixer.LastPlan();
    if (plan.Feasibility.Deliverable)
        return {};
    return UndeliverableReason(plan).toStdString();
}

TDryRunResult TDryRun::Run(const TDryRunOptions& options)
{
    TDryRun run(options);
    run.Request(options.PpmA, options.PpmH2O);
    if (const std::string why = run.Refusal(); !why.empty()) {
        TDryRunResult refused = run.Result();
        refused.Refused = why;
        return refused;
    }
    run.StartDilution();
    run.RunFor(options.Minutes * 60.0);
    return run.Result();
}

bool TDryRunProgramResult::Finished() const
{
    if (Steps.size() != StepCount)
        return false;
    for (const TDryRunStep& step : Steps)
        if (!step.Completed)
            return false;
    return true;
}

bool TDryRunProgramResult::WithinTolerance() const
{
    if (!Finished())
        return false;
    for (const TDryRunStep& step : Steps)
        if (!step.Hold.WithinTolerance())
            return false;
    return true;
}

TDryRunProgramResult TDryRun::RunProgram(const TFlowProgram& program)
{
    TParts& p = *P_;
    TProgramRunner& runner = p.Mixer.Program();
    TDryRunProgramResult result;
    result.StepCount = program.size();
    const TParts::TRecord first = p.RecordNow();
    TParts::TRecord stepStart, holdStart;
    bool holding = false;
    runner.OnStepBegins = [&](int) {
        stepStart = p.RecordNow();
        holding = false;
    };
    runner.OnHoldBegins = [&](int) {
        holdStart = p.RecordNow();
        holding = true;
    };
    runner.OnStepEnds = [&](int index, bool completed) {
        const TParts::TRecord end = p.RecordNow();
        TDryRunStep step;
        step.Step = runner.Program()[static_cast<std::size_t>(index)];
        step.Completed = completed;
        if (holding)
            step.Hold = p.Between(holdStart, end, step.Step.PpmA, step.Step.PpmH2O);
        const TDryRunResult used = p.Between(stepStart, end, 0, 0);
        step.UsedGramsA = used.GramsA;
        step.UsedGramsB = used.GramsB;
        step.UsedGramsH2O = used.GramsH2O;
        result.Steps.push_back(step);
    };
    struct TUnhook {
        TProgramRunner& R;
        ~TUnhook()
        {
            R.OnStepBegins = nullptr;
            R.OnHoldBegins = nullptr;
            R.OnStepEnds = nullptr;
        }
    } unhook{runner};

    // Every step's hold, and a generous allowance for its flush and plans.
    double seconds = 0.0;
    for (const TProgramStep& step : program)
        seconds += step.Minutes * 60.0 + 60.0;
    if (runner.Start(program)) {
        const double end = p.TheClock.now() + seconds / SecondsPerDay;
        while (runner.Running() && p.TheClock.now() < end)
            RunFor(1.0);
        runner.Stop(QStringLiteral("out of time"));
    }
    if (!result.Finished())
        result.Stopped = p.Host.Progress.toStdString();
    result.Alarm = p.Host.Alarm.toStdString();
    const TDryRunResult all = p.Between(first, p.RecordNow(), 0, 0);
    result.Minutes = all.Minutes;
    result.GramsA = all.GramsA;
    result.GramsB = all.GramsB;
    result.GramsH2O = all.GramsH2O;
    return result;
}

const QString& TDryRun::Report() const
{
    return P_->Host.Report;
}

bool TDryRun::WriteLog(QIODevice& device) const
{
    return WriteLogFile(device, P_->Host.Report, P_->Host.Log);
}

TMixer& TDryRun::Mixer()
{
    return P_->Mixer;
}

TWindowState& TDryRun::State()
{
    return P_->State;
}

TEquipmentGateway& TDryRun::Gateway()
{
    return P_->Core.Gateway;
}

TLogTableModel& TDryRun::Log()
{
    return P_->Host.Log;
}

SimulatedRig& TDryRun::Rig()
{
    return P_->Rig;
}

SerialLines& TDryRun::Lines()
{
    return P_->Lines;
}

Clock& TDryRun::TheClock()
{
    return P_->TheClock;
}

double TDryRun::pH2O() const
{
    return P_->Host.Pressure;
}
