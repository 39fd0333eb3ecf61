// The mixing plan: Calculate reads the request from the Operation page and
// the gases from the Setup page, plans, and writes the report into Memo4.
#include "form1.h"

#include "plan_report.h"
#include "planner.h"
#include "rt_integer_edit.h"

#include <QListWidget>
#include <QPlainTextEdit>

namespace {

// The selected item's text as 8-bit text, or nothing without a selection.
bool SelectedName(const QListWidget* list, std::string& name)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty())
        return false;
    name = selected.constFirst()->text().toLocal8Bit().toStdString();
    return true;
}

} // namespace

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
    StoreResetMarker();

    TPlanRequest request;
    if (!SelectedName(ListBoxSetupGas1, request.GasA) || !SelectedName(ListBoxSetupGas2, request.GasB))
        return;
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
}
