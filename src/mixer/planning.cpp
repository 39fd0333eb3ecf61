// The planner run and the log rows of the mixer core: Calculate turns the
// host's request into the plan the delivery routines carry out; StoreData
// records the present moment in the log.
#include "mixer.h"

#include "clock.h"
#include "log_row.h"
#include "rig_setup.h"
#include "mixer_host.h"
#include "plan_report.h"
#include "uncertainty.h"

bool TMixer::Calculate()
{
    // A new plan starts its delivery afresh.
    Host_.ShowPlanReport(QString());
    S_.Counter = 0;
    S_.CounterB = 0;
    S_.PulsesA.Clear();
    S_.PulsesB.Clear();
    WetPulseGiven_ = false;
    S_.H2OTime = 0;
    S_.H2OPathHeld = false;
    S_.H2OGramsB = 0;
    S_.H2OWetSinceReading = 0;
    S_.H2OLastTotalizerBValid = false;
    S_.FlowASetToConstant = false;
    S_.FlowBSetToConstant = false;
    PulseFloorReported_[0] = PulseFloorReported_[1] = false;

    // Every planning run leaves its mark in the log, also one that stops
    // for want of a gas.
    Rows_.Store(ResetMarkerRow());
    Host_.StoreLogMarker();

    TPlanRequest request;
    request.GasA = Setup_.GasAName();
    request.GasB = Setup_.GasBName();
    if (request.GasA.empty() || request.GasB.empty())
        return false;
    request.a = S_.Request.a;
    request.b = S_.Request.b;
    request.w = S_.Request.w;
    request.FIA = S_.FIA;
    request.FIB = S_.FIB;
    request.pH2O = S_.pH2O;

    const TPlanResult plan = CalculatePlan(request);
    LastPlan_ = plan;
    S_.MixingMethod = plan.MixingMethod;
    S_.DesiredFlowAGramsperMinute = plan.DesiredFlowAGramsperMinute;
    S_.DesiredFlowBGramsperMinute = plan.DesiredFlowBGramsperMinute;
    S_.H2OFractioninB = plan.H2OFractioninB;
    S_.H2OFractionOfB = plan.H2OFractionOfB;

    const TUncertaintyInputs inputs = UncertaintyInputs();
    LastUncertainty_ = PlanUncertainty(plan, inputs);
    QStringList lines = PlanReportLines(plan);
    if (LastUncertainty_)
        lines << QStringLiteral("    ") << UncertaintyLines(*LastUncertainty_, inputs, Clock_.now());
    const QString report = lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    Host_.ShowPlanReport(report);
    // The report stays with its marker: the saved file and the journal put
    // it where the plan was made.
    Host_.AttachPlanReport(report);
    return true;
}

TUncertaintyInputs TMixer::UncertaintyInputs() const
{
    TUncertaintyInputs in;
    const TRecords& r = S_.Records;
    in.SourceA = r.Source(Setup_.GasAName());
    in.SourceB = r.Source(Setup_.GasBName());
    in.ControllerA = r.Controller(Setup_.Identification[0]);
    in.ControllerB = r.Controller(Setup_.Identification[1]);
    in.Bubbler = r.Bubbler;
    in.BubblerC = S_.BubblerC;
    in.BubblerStepC = S_.BubblerStepC;
    return in;
}

TLogRowValues TMixer::PresentRow() const
{
    return ComputeLogRow(LogRowInputs());
}

void TMixer::StoreData()
{
    StoreRow(PresentRow());
}

void TMixer::MarkLog(const std::string& text)
{
    std::string cell = text;
    for (char& c : cell) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
        else if (c == ';')
            c = ',';
    }
    StoreRow(MarkRow(Clock_.wallNow(), cell));
}

void TMixer::StoreRow(const TLogRowValues& values)
{
    Rows_.Store(values);
    S_.DataStoredLast = Clock_.now();
    Host_.StoreLogRow(values, Readout());
}

TLogRowInputs TMixer::LogRowInputs() const
{
    TLogRowInputs in;
    in.Time = Clock_.wallNow();
    in.MixerState = S_.MixerState;
    in.MixingMethod = std::string(MixingMethodName(S_.MixingMethod));
    in.TotalizerA = S_.TotalizerA.Value;
    in.TotalizerB = S_.TotalizerB.Value;
    in.H2OTime = S_.H2OTime;
    in.DesiredFlowBGramsperMinute = S_.DesiredFlowBGramsperMinute;
    // Pulsed gas B is credited to the bubbler by the grams counted (the
    // method of the plan: an "H2O pulse" row names the pulse instead).
    if (StepsOfMethod(LastPlan_.MixingMethod, Rules_).PulseGasB)
        in.BubbledGramsB = S_.H2OGramsB;
    in.pH2O = S_.pH2O;
    // The gases as chosen: the Setup page's lists lose their selection when
    // the operator goes back there, while the mixer may go on logging.
    in.GasA = S_.A.Name;
    in.GasB = S_.B.Name;
    in.H2OMolarMass = S_.H2OC.MolarMass;
    return in;
}
