// The mixing plan: Calculate reads the request from the Operation page and
// the gases from the Setup page, plans, and writes the report into Memo4.
#include "form1.h"

#include "list_selection.h"
#include "log_table_model.h"
#include "plan_report.h"
#include "planner.h"
#include "rt_integer_edit.h"

#include <QListWidget>
#include <QPlainTextEdit>

void TForm1::Calculate()
{
    TWindowState& s = WindowState;

    // A new plan starts its delivery afresh.
    Memo4->clear();
    s.Counter = 0;
    s.H2OTime = 0;
    s.FlowASetToConstant = false;
    s.FlowBSetToConstant = false;

    // Every planning run leaves its mark in the log, also one that stops
    // for want of a gas.
    const int marker = StoreResetMarker();

    TPlanRequest request;
    if (SelectedRow(ListBoxSetupGas1) < 0 || SelectedRow(ListBoxSetupGas2) < 0)
        return;
    request.GasA = SelectedText(ListBoxSetupGas1);
    request.GasB = SelectedText(ListBoxSetupGas2);
    request.a = RtIntegerEditGasAPPM->Value();
    request.b = RtIntegerEditGasBPPM->Value();
    request.w = RtIntegerEditH2Oppm->Value();
    request.FIA = s.FIA;
    request.FIB = s.FIB;

    const TPlanResult plan = CalculatePlan(request);
    s.MixingMethod = plan.MixingMethod;
    s.DesiredFlowAGramsperMinute = plan.DesiredFlowAGramsperMinute;
    s.DesiredFlowBGramsperMinute = plan.DesiredFlowBGramsperMinute;
    s.H2OFractioninB = plan.H2OFractioninB;

    Memo4->setPlainText(PlanReportLines(plan).join(QLatin1Char('\n')) + QLatin1Char('\n'));
    LogTable->AttachReport(marker, Memo4->toPlainText());
}
