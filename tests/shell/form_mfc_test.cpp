#include "form_fixture.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>

TEST(FormMfc, ClosingWithTheControllersValidatedZeroesBothSetPoints)
{
    FormFixture f;
    f.SelectMfcPort();
    f.form.SetMFCFlow(1, 0.2);
    f.form.SetMFCFlow(2, 3.0);
    f.form.CheckBoxMFCOK->setChecked(true);
    f.mfc.clearRecords();

    f.form.close();

    const auto& sent = f.mfc.setPoints();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].Address, 1);
    EXPECT_EQ(sent[0].Value, 0.0f);
    EXPECT_EQ(sent[1].Address, 2);
    EXPECT_EQ(sent[1].Value, 0.0f);
    EXPECT_EQ(f.mfc.setPoint(1), 0.0f);
    EXPECT_EQ(f.mfc.setPoint(2), 0.0f);
    EXPECT_TRUE(f.dialogs.Errors.isEmpty());
}

TEST(FormMfc, ClosingBeforeTheControllersAreValidatedSendsThemNothing)
{
    FormFixture f;
    f.SelectMfcPort();
    f.form.close();
    EXPECT_TRUE(f.mfc.frames().empty());
    EXPECT_EQ(f.mfcPort.openCount(), 0);
}

TEST(FormMfc, ValidationSetsAndClearsTheMarkAndReportsInTheFeedback)
{
    FormFixture f;
    f.SelectMfcPort();
    f.form.Core().Setup.Validate();
    EXPECT_TRUE(f.form.CheckBoxMFCOK->isChecked());
    EXPECT_EQ(f.form.MemoSetupFeedback->toPlainText(), "\nMFCs are OK\n");

    f.mfc.faults(2).Silent = true;
    f.form.Core().Setup.Validate();
    EXPECT_FALSE(f.form.CheckBoxMFCOK->isChecked());
    EXPECT_EQ(f.form.MemoSetupFeedback->toPlainText(), "\nMFCs are OK\n\nOne of more MFC failed to be identified\n");
}

TEST(FormMfc, TheGasListSelectionPicksTheTableAndFillsTheRange)
{
    FormFixture f;
    f.SelectMfcPort();
    f.form.Core().Setup.Validate();
    EXPECT_TRUE(f.form.Core().Setup.SelectGas(2, 1));  // N2
    EXPECT_EQ(f.mfc.gasTableInUse(2), 3);
    EXPECT_EQ(f.form.Core().State.FIB.Name, "N2");
    EXPECT_EQ(f.form.Core().State.PossibleMaxFlowBGramsperMinute, 4.0);
    EXPECT_EQ(f.form.Core().State.PossibleMinFlowBGramsperMinute,
              static_cast<double>(static_cast<float>(4.0f / 50.0L)));
    EXPECT_EQ(f.form.Core().State.FIA.Name, "");
    EXPECT_EQ(f.form.Core().State.PossibleMaxFlowAGramsperMinute, 0.0);

    // A controller reporting no dynamic range leaves the range as it was.
    f.mfc.faults(2).DynamicRangeZero = true;
    EXPECT_FALSE(f.form.Core().Setup.SelectGas(2, 0));  // Ar
    EXPECT_EQ(f.form.Core().State.FIB.Name, "N2");
    EXPECT_EQ(f.form.Core().State.PossibleMaxFlowBGramsperMinute, 4.0);
    EXPECT_EQ(f.form.Core().Setup.State().GasB, -1) << "the choice is not made";
}

TEST(FormMfc, TotalizersGoIntoTheWindowState)
{
    FormFixture f;
    f.SelectMfcPort();
    f.form.Core().State.TotalizerA.Value = 9.0;
    TMixerCore& c = f.form.Core();
    c.Gateway.ResetRetrieveTotalizers(c.State.TotalizerA, c.State.TotalizerB);
    EXPECT_EQ(f.form.Core().State.TotalizerA.StartValue, 0.0);
    EXPECT_EQ(f.form.Core().State.TotalizerA.Value, 9.0);
    EXPECT_GT(f.form.Core().State.TotalizerB.StartTime, f.form.Core().State.TotalizerA.StartTime);
    f.form.ReadTotalizers();
    EXPECT_EQ(f.form.Core().State.TotalizerA.Value, 0.0);
    EXPECT_GT(f.form.Core().State.TotalizerA.Time, f.form.Core().State.TotalizerA.StartTime);
}

TEST(FormMfc, WithoutASelectedPortNothingReachesTheControllers)
{
    FormFixture f;
    f.SelectMfcPort();
    f.form.ListBoxPortMFC->clearSelection();
    EXPECT_EQ(f.form.Core().Setup.State().MfcPort, "");
    EXPECT_EQ(f.form.Core().Gateway.SetMFCFlow(1, 0.0).Status,
              "Controller 1 did not confirm the set-point 0.000: Failed to setup Com port, port in use");
    EXPECT_TRUE(f.mfc.frames().empty());
}
