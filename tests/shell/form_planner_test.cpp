#include "form_fixture.h"
#include "log_table_model.h"
#include "plan_report.h"
#include "qt_printers.h"
#include "rt_integer_edit.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPlainTextEdit>

namespace {

void ChooseOxygenInArgon(FormFixture& f)
{
    f.ChooseGases(0, 0);
    f.form.Core().State.FIA = {"O2", "Oxygen", "g/min", 0.1f, 1000, 0.0001f};
    f.form.Core().State.FIB = {"Ar", "Argon", "g/min", 1.0f, 100, 0.01f};
}

}  // namespace

TEST(FormPlanner, CalculatePlansFromTheFieldsAndShowsTheReport)
{
    FormFixture f;
    ChooseOxygenInArgon(f);
    TWindowState& s = f.form.Core().State;
    s.Counter = 7;
    s.H2OTime = 0.5;
    s.FlowASetToConstant = s.FlowBSetToConstant = true;

    f.form.Calculate();

    EXPECT_EQ(MixingMethodName(s.MixingMethod), "A (constant) in B");
    EXPECT_NEAR(s.DesiredFlowAGramsperMinute, 0.00012017, 1e-8);
    EXPECT_EQ(s.DesiredFlowBGramsperMinute, 1.0);
    EXPECT_EQ(s.H2OFractioninB, 0.0);
    EXPECT_EQ(s.Counter, 0);
    EXPECT_EQ(s.H2OTime, 0.0);
    EXPECT_FALSE(s.FlowASetToConstant);
    EXPECT_FALSE(s.FlowBSetToConstant);
    const QStringList memo = f.form.Memo4->toPlainText().split('\n');
    // The documented lines as they stand, then the expected delivery.
    const QStringList report = PlanReportLines(CalculatePlan({150, 999850, 0, "O2", "Ar", s.FIA, s.FIB}));
    EXPECT_EQ(memo.mid(0, report.size()), report);
    EXPECT_EQ(memo.mid(report.size(), 2), QStringList({"    ", "Expected delivery (k = 2)"}));
    EXPECT_EQ(memo.last(), "") << "the report ends with a line break";
    EXPECT_EQ(f.form.LogTable->CellText(0, 1), "Reset");
    EXPECT_TRUE(f.dialogs.Errors.isEmpty());
}

TEST(FormPlanner, WaterAndANewRequestReplan)
{
    FormFixture f;
    ChooseOxygenInArgon(f);
    // The request is written straight into the core, without the ppm
    // handler's own corrections and planning.
    f.form.Core().State.Request = {150, 989850, 10000};
    f.form.Calculate();
    EXPECT_EQ(MixingMethodName(f.form.Core().State.MixingMethod), "A (constant) in B/H2O");
    EXPECT_EQ(f.form.Core().State.H2OFractioninB, 0.01);
    EXPECT_TRUE(f.form.Memo4->toPlainText().contains("  150 ppm of Oxygen in Argon with H2O\n"));

    f.form.Core().State.Request = {150, 999850, 0};
    f.form.Calculate();
    EXPECT_EQ(f.form.Core().State.H2OFractioninB, 0.0);
    EXPECT_EQ(MixingMethodName(f.form.Core().State.MixingMethod), "A (constant) in B");
}

TEST(FormPlanner, WithoutAGasTheRunStopsAfterItsMarker)
{
    FormFixture f;
    ChooseOxygenInArgon(f);
    f.form.Calculate();
    const TMixingMethod method = f.form.Core().State.MixingMethod;
    f.form.Core().State.H2OTime = 0.25;

    f.form.Core().Setup.SelectGas(2, -1);  // the selection removed
    f.form.Calculate();
    EXPECT_TRUE(f.form.Memo4->toPlainText().isEmpty());
    EXPECT_EQ(f.form.Core().State.MixingMethod, method);
    EXPECT_EQ(f.form.Core().State.H2OTime, 0.0) << "the reset comes before the gas check";
    EXPECT_EQ(f.form.LogTable->CellText(0, 1), "Reset");
}
