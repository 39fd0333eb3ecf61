// The readout and the plot during a long humidified dilution, checked
// against what the simulated equipment itself delivered.
#include "compounds.h"
#include "plot_page.h"
#include "rig_fixture.h"
#include "time_picture.h"
#include "time_units.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Readout, ShowsWhatTheEquipmentDeliveredDuringATenMinuteDilution)
{
    RigFixture f;
    f.Request(150, 7300);
    f.form.ButtonDilution->click();
    f.RunFor(600);
    const double now = f.clock.now();
    const TReadout r = f.form.Core().Mixer.Readout();

    // What the equipment delivered: both controllers' totalizers, and the
    // water the bubbler took up from the gas B that passed through it.
    const double flowB = f.mfc.flow(2, now);
    const double molesA = f.mfc.totalizerKg(1, now) * 1000.0 * GetMolesPerGram("O2");
    const double molesB = f.mfc.totalizerKg(2, now) * 1000.0 * GetMolesPerGram("Ar");
    const double molesWater = f.rig.bubblerAt(now).WaterMoles();
    const double total = molesA + molesB + molesWater;
    ASSERT_TRUE(r.PpmA && r.PpmH2O);
    EXPECT_NEAR(*r.PpmA, molesA / total * 1e6, 0.01 * molesA / total * 1e6);
    EXPECT_NEAR(*r.PpmH2O, molesWater / total * 1e6, 0.01 * molesWater / total * 1e6);
    EXPECT_NEAR(*r.PpmA, 150, 1.5) << "and close to the plan";
    EXPECT_NEAR(*r.PpmH2O, 7300, 73);
    EXPECT_EQ(r.PlannedPpmA, 150.0);
    EXPECT_EQ(r.PlannedPpmH2O, 7300.0);

    ASSERT_TRUE(r.FlowA && r.FlowB && r.SetPointA && r.SetPointB);
    EXPECT_NEAR(*r.FlowB, flowB, 0.01 * flowB);
    EXPECT_EQ(*r.SetPointB, f.mfc.setPoint(2));
    EXPECT_EQ(*r.SetPointA, f.s.DesiredFlowAGramsperMinute) << "a pulsed gas is held to its plan's average";
    EXPECT_NEAR(*r.FlowA, f.s.DesiredFlowAGramsperMinute, 0.25 * f.s.DesiredFlowAGramsperMinute)
        << "gas A comes in pulses: over ten seconds it is near its plan";
    ASSERT_TRUE(r.BubblerC);
    EXPECT_NEAR(*r.BubblerC, f.relay.BubblerTemperatureC, 0.3);
    ASSERT_TRUE(r.ElapsedDays);
    EXPECT_NEAR(*r.ElapsedDays * SecondsPerDay, 600, 1);
    EXPECT_EQ(r.LogRows, f.Rows());

    // The window shows the same, and the plot has a point for every row.
    EXPECT_EQ(f.form.LabelLogRows->text(), QString::number(f.Rows()));
    EXPECT_EQ(f.form.LabelElapsed->text().left(5), "0:10:");
    EXPECT_NEAR(f.form.LabelPpmH2O->text().toDouble(), *r.PpmH2O, 1.0);
    int moments = 0;  // rows other than the plans' markers
    for (int row = 0; row < f.Rows(); ++row)
        moments += f.Cell(row, 0).empty() ? 0 : 1;
    EXPECT_EQ(static_cast<int>(f.form.Plot1->Data().Size()), moments);
    EXPECT_TRUE(f.dialogs.Errors.isEmpty());
}

// Outside Dilution the box shows the last dilution's delivery, greyed and
// dated, not what the totalizers count now; each flow shows its set-point,
// measured beside it only where the state reads the totalizers, and no
// commanded flow shows a dash.
TEST(Readout, OutsideADilutionTheDeliveryIsTheLastOnesAndNoCommandedFlowLooksStopped)
{
    struct Case {
        QPushButton* TForm1::*button;
        double seconds;
        bool gasBMeasured;
    };
    for (const Case& c : {Case{&TForm1::ButtonStop, 5, false}, Case{&TForm1::ButtonBypass, 5, true},
                          Case{&TForm1::ButtonFlush, 3, false}}) {
        RigFixture f;
        SCOPED_TRACE((f.form.*c.button)->text().toStdString());
        f.Request(150, 0);
        f.form.ButtonDilution->click();
        f.RunFor(60);
        const QString ppmA = f.form.LabelPpmA->text();
        const QString elapsed = f.form.LabelElapsed->text();
        ASSERT_NEAR(ppmA.toDouble(), 150, 10);
        ASSERT_EQ(f.form.GroupBoxReadout->title(), "Delivery");

        const QString before = FormatDayCount("hh:nn", f.clock.wallNow());
        (f.form.*c.button)->click();
        f.Tick();
        const QString ended = FormatDayCount("hh:nn", f.clock.wallNow());
        f.RunFor(c.seconds);
        EXPECT_EQ(f.form.LabelPpmA->text(), ppmA) << "the last dilution's, whatever flows now";
        EXPECT_EQ(f.form.LabelElapsed->text(), elapsed);
        EXPECT_FALSE(f.form.LabelPpmA->isEnabled()) << "greyed";
        const QString note = f.form.GroupBoxReadout->title().mid(QString("Delivery \u2013 ").size());
        EXPECT_TRUE(note == "last dilution, ended " + before || note == "last dilution, ended " + ended);
        EXPECT_EQ(f.form.LabelPpmA->accessibleName(), "Gas A delivered " + ppmA + " ppm, " + note);

        const double setPointB = f.mfc.setPoint(2);
        EXPECT_NEAR(f.form.LabelFlowBSetPoint->text().toDouble(), setPointB, 0.001 * setPointB + 1e-9);
        if (c.gasBMeasured)
            EXPECT_NEAR(f.form.LabelFlowB->text().toDouble(), setPointB, 0.05 * setPointB);
        else
            EXPECT_EQ(f.form.LabelFlowB->text(), setPointB > 0 ? "not read" : "\u2013");
    }
}
