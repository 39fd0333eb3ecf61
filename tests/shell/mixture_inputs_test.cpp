#include "form_fixture.h"
#include "log_table_model.h"
#include "rt_double_edit.h"
#include "rt_integer_edit.h"
#include "widget_input.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>

#include <stdexcept>

namespace {

int BubblerReadings(const RelayBoardModel& relay)
{
    int n = 0;
    for (const RelayCommandRecord& c : relay.commands())
        n += c.Bytes == std::vector<std::uint8_t>{254, 158};
    return n;
}

int ResetMarkers(const TLogTableModel& log)
{
    int n = 0;
    for (int row = 0; row < log.DataRows(); ++row) {
        for (int column = 0; column < log.columnCount(); ++column)
            n += log.CellText(row, column) == "Reset";
    }
    return n;
}

// The water a limit message names ("Water: at 150 ppm of gas A the bubbler
// can give no more than 30174 ppm").
int NumberIn(const QString& message)
{
    const QRegularExpressionMatch m = QRegularExpression("^Water: .* (\\d+) ppm$").match(message);
    EXPECT_TRUE(m.hasMatch()) << message.toStdString();
    return m.captured(1).toInt();
}

// The window on its Operation page, both ports selected, oxygen in argon
// chosen on the simulated controllers and the bubbler at `celsius`, read as
// entering the page reads it unless `read` is false.
struct MixtureFixture : FormFixture {
    explicit MixtureFixture(double celsius = 25.0, bool read = true)
    {
        relay.BubblerTemperatureC = celsius;
        SelectRelayPort();
        SelectMfcPort();
        form.Core().Setup.Validate();
        form.ListBoxSetupGas1->setCurrentRow(0);
        form.ListBoxSetupGas1Click();
        form.ListBoxSetupGas2->setCurrentRow(0);
        form.ListBoxSetupGas2Click();
        EXPECT_EQ(form.Core().State.B.Name, "Ar");
        form.PageControl1->setCurrentIndex(1);
        if (read)
            form.RtIntegerEditH2OTempValueChanged();  // as entering the page does
        ShowActive(form);
        relay.clearRecords();
    }

    // The operator replaces the field's text by typing `text`.
    void Type(TRtIntegerEdit* field, const QString& text)
    {
        field->setFocus(Qt::TabFocusReason);
        field->selectAll();
        QTest::keyClicks(field, text);
    }
};

// Dialogs whose message box fails, as a dialog that cannot be shown would.
class FailingDialogs final : public TOperatorDialogs {
public:
    void ShowMessage(QWidget*, const QString&) override { throw std::runtime_error("no message box"); }
    void ShowError(QWidget*, const QString& text) override { Errors << text; }
    bool AskYesNo(QWidget*, const QString&) override { return false; }
    QString PromptSaveFileName(QWidget*, const TSaveDialogSetup&, const QString&) override { return {}; }
    QStringList Errors;
};

}  // namespace

TEST(MixtureInputs, TypingThreeDigitsReadsPlansAndMarksThreeTimes)
{
    MixtureFixture f;
    f.form.RtIntegerEditGasAPPM->SetValue(7);  // something else to replace
    f.form.StoreData();                        // with a data row in the log every marker gets a row of its own
    f.relay.clearRecords();
    const int markersBefore = ResetMarkers(*f.form.LogTable);

    f.Type(f.form.RtIntegerEditGasAPPM, "150");

    EXPECT_EQ(BubblerReadings(f.relay), 3);
    EXPECT_EQ(ResetMarkers(*f.form.LogTable) - markersBefore, 3);
    EXPECT_EQ(f.form.RtIntegerEditGasAPPM->Value(), 150);
    EXPECT_EQ(f.form.RtIntegerEditGasBPPM->Value(), 999850);
    EXPECT_TRUE(f.form.Memo4->toPlainText().contains("150 ppm of Oxygen in Argon"));
    EXPECT_TRUE(f.dialogs.Messages.isEmpty());
    EXPECT_TRUE(f.dialogs.Errors.isEmpty());
    EXPECT_FALSE(f.form.ppmUpdating);
}

TEST(MixtureInputs, AnyChangeStopsTheMixerAndDerivesGasB)
{
    struct Case {
        TMixerState before;
        TRtIntegerEdit* TForm1::*field;
        int value;
        int gasA, gasB;
    };
    const Case cases[] = {
        {TMixerState::Dilution, &TForm1::RtIntegerEditGasAPPM, 2500, 2500, 997500},
        {TMixerState::Bypass, &TForm1::RtIntegerEditGasAPPM, 999000, 999000, 1000},
        {TMixerState::Unknown, &TForm1::RtIntegerEditGasAPPM, 150, 150, 999850},  // rewritten unchanged
        {TMixerState::Flushing, &TForm1::RtIntegerEditH2Oppm, 0, 150, 999850},
        // Gas B is the program's, but a value written there runs the same
        // handler and is derived again.
        {TMixerState::Dilution, &TForm1::RtIntegerEditGasBPPM, 5, 150, 999850},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        MixtureFixture f;
        f.form.Core().State.MixerState = c.before;
        f.form.LabelStatus->setText("Dilution");
        (f.form.*c.field)->SetValue(c.value);
        EXPECT_EQ(f.form.Core().State.MixerState, TMixerState::Standby);
        EXPECT_EQ(f.form.LabelStatus->text(), "Standby");
        EXPECT_EQ(f.form.RtIntegerEditGasAPPM->Value(), c.gasA);
        EXPECT_EQ(f.form.RtIntegerEditGasBPPM->Value(), c.gasB);
        EXPECT_EQ(BubblerReadings(f.relay), 1);
        EXPECT_TRUE(f.dialogs.Messages.isEmpty());
    }
}

TEST(MixtureInputs, WaterIsHeldBetweenTheLimitsOfTheSimulatedBubbler)
{
    // At 25 degrees the bubbler's water vapour pressure is about 0.0313 atm.
    MixtureFixture f(25.0);
    const double p0 = 0.0312733;

    // Above what gas B can carry: at most b * p.
    f.form.RtIntegerEditH2Oppm->SetValue(35000);
    const double p = f.form.RtIntegerEditpH2O->Value();
    EXPECT_NEAR(p, p0, 0.0005) << "the reading sets the field the limits use";
    ASSERT_EQ(f.dialogs.Messages.size(), 1);
    EXPECT_TRUE(f.dialogs.Messages[0].startsWith("Water: at 150 ppm of gas A the bubbler can give no more than "));
    const int most = NumberIn(f.dialogs.Messages[0]);
    EXPECT_NEAR(most, 964850 * p0, 500);
    EXPECT_EQ(f.form.RtIntegerEditH2Oppm->Value(), most);
    EXPECT_EQ(f.form.RtIntegerEditGasBPPM->Value(), 1000000 - 150 - most);
    EXPECT_LE(most / 964850.0, p);
    EXPECT_TRUE(Humidified(f.form.Core().State.MixingMethod)) << "the plan takes the corrected water";

    // Below what the water pulses can resolve: at least b * p / 360.
    f.dialogs.Messages.clear();
    f.form.RtIntegerEditH2Oppm->SetValue(50);
    ASSERT_EQ(f.dialogs.Messages.size(), 1);
    EXPECT_TRUE(f.dialogs.Messages[0].startsWith("Water: at 150 ppm of gas A the bubbler can give no less than "));
    const int least = NumberIn(f.dialogs.Messages[0]);
    EXPECT_NEAR(least, 999800 * p0 / 360, 2);
    EXPECT_EQ(f.form.RtIntegerEditH2Oppm->Value(), least);
    EXPECT_EQ(f.form.RtIntegerEditGasBPPM->Value(), 1000000 - 150 - least);

    // Within the limits nothing is said or changed.
    f.dialogs.Messages.clear();
    f.form.RtIntegerEditH2Oppm->SetValue(10000);
    EXPECT_TRUE(f.dialogs.Messages.isEmpty());
    EXPECT_EQ(f.form.RtIntegerEditH2Oppm->Value(), 10000);
    EXPECT_EQ(f.form.RtIntegerEditGasBPPM->Value(), 989850);
    EXPECT_FALSE(f.form.ppmUpdating);
    EXPECT_EQ(BubblerReadings(f.relay), 3);
}

TEST(MixtureInputs, AFailedReadingGoesOnWithTheVapourPressureTheFieldStillShows)
{
    MixtureFixture f(25.0);
    f.form.RtIntegerEditH2Oppm->SetValue(10000);
    const double p = f.form.RtIntegerEditpH2O->Value();
    ASSERT_GT(p, 0.03);

    struct Case {
        const char* name;
        void (*fault)(RelayBoardModel&);
    };
    const Case cases[] = {
        {"board silent", [](RelayBoardModel& r) { r.Faults.Silent = true; }},
        {"one byte only", [](RelayBoardModel& r) { r.Faults.ShortAnalogueReply = true; }},
        {"count at full scale", [](RelayBoardModel& r) { r.Faults.AnalogueCount = 1024; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.relay.Faults = {};
        c.fault(f.relay);
        f.dialogs.Messages.clear();
        f.form.RtIntegerEditH2Oppm->SetValue(35000);
        EXPECT_EQ(f.form.RtIntegerEditpH2O->Value(), p);
        ASSERT_EQ(f.dialogs.Messages.size(), 1);
        const int most = NumberIn(f.dialogs.Messages[0]);
        EXPECT_GT(most, 29000) << "the limit comes from the last sound reading, not from 0";
        EXPECT_EQ(f.form.RtIntegerEditH2Oppm->Value(), most);
        EXPECT_EQ(f.form.Core().State.MixerState, TMixerState::Standby);
    }
    EXPECT_TRUE(f.dialogs.Errors.isEmpty());
}

TEST(MixtureInputs, WithoutAnyReadingNoWaterIsPossible)
{
    MixtureFixture f(25.0, false);
    f.relay.Faults.Silent = true;
    f.form.RtIntegerEditH2Oppm->SetValue(2000);
    EXPECT_EQ(f.dialogs.Messages,
              QStringList{"Water: the bubbler's temperature has not been read, so no water "
                          "can be given; it is 0 ppm"});
    EXPECT_EQ(f.form.RtIntegerEditH2Oppm->Value(), 0);
    EXPECT_EQ(f.form.RtIntegerEditGasBPPM->Value(), 999850);

    // Gas A and water filling the whole mixture leave no carrier for water.
    f.relay.Faults = {};
    f.dialogs.Messages.clear();
    f.form.ppmUpdating = true;
    f.form.RtIntegerEditH2Oppm->SetValue(30000);
    f.form.ppmUpdating = false;
    f.form.RtIntegerEditGasAPPM->SetValue(970000);
    EXPECT_EQ(f.dialogs.Messages,
              QStringList{"Water: at 970000 ppm of gas A no gas B is left to carry water, so it is 0 ppm"});
    EXPECT_EQ(f.form.RtIntegerEditH2Oppm->Value(), 0);
    EXPECT_EQ(f.form.RtIntegerEditGasBPPM->Value(), 30000);
    EXPECT_TRUE(f.dialogs.Errors.isEmpty());
}

TEST(MixtureInputs, TheGuardIsClearedWhenTheHandlerFails)
{
    FakeClock clock;
    FailingDialogs dialogs;
    SimulatedRig rig(clock);
    RegisteredSerialLines lines;
    rig.registerOn(lines);
    TForm1 form{TFormServices{clock, dialogs, lines}};
    form.ListBoxPortSolenoid->addItem(SimulatedRig::RelayPortName);
    form.ListBoxPortSolenoid->setCurrentRow(0);
    rig.relay.Faults.Silent = true;  // no vapour pressure: any water is too much

    form.RtIntegerEditH2Oppm->SetValue(100);  // the limit's message box fails
    EXPECT_EQ(dialogs.Errors, QStringList{"no message box"});
    EXPECT_FALSE(form.ppmUpdating);

    // The next change is handled again from the start.
    rig.relay.Faults.Silent = false;
    rig.relay.clearRecords();
    form.RtIntegerEditGasAPPM->SetValue(200);
    EXPECT_EQ(rig.relay.commands().size(), 1u);
    EXPECT_EQ(form.RtIntegerEditGasBPPM->Value(), 1000000 - 200 - 100);
    EXPECT_EQ(dialogs.Errors.size(), 1);
}

// While the operator types, no correction touches the digits still to come
// and no box takes the keys: each accepted value stops the mixer and is
// planned as the limits hold it, and the correction, named and explained,
// comes when the entry ends.
TEST(MixtureInputs, ATypedValueIsCorrectedOnlyWhenTheEntryEnds)
{
    struct Case {
        const char* name;
        TRtIntegerEdit* TForm1::*field;
        QString typed;
        Qt::Key end;
        QString told;  // what the end of the entry tells; empty: nothing
        int gasA, water;
    };
    const Case cases[] = {
        // From 10000 ppm of gas A with 72 ppm of water, "1" and "15" on the
        // way to "150" need more water than 72; so does 150 itself.
        {"gas A 150", &TForm1::RtIntegerEditGasAPPM, "150", Qt::Key_Tab,
         "Water: at 150 ppm of gas A the bubbler can give no less than 73 ppm", 150, 73},
        {"gas A 9000", &TForm1::RtIntegerEditGasAPPM, "9000", Qt::Key_Return, "", 9000, 72},
        {"water 7300", &TForm1::RtIntegerEditH2Oppm, "7300", Qt::Key_Tab, "", 10000, 7300},
        {"water 7", &TForm1::RtIntegerEditH2Oppm, "7", Qt::Key_Return,
         "Water: at 10000 ppm of gas A the bubbler can give no less than 72 ppm", 10000, 72},
        {"water 35000", &TForm1::RtIntegerEditH2Oppm, "35000", Qt::Key_Tab,
         "Water: at 10000 ppm of gas A the bubbler can give no more than 24960 ppm", 10000, 24960},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MixtureFixture f(22.0);
        f.form.RtIntegerEditGasAPPM->SetValue(10000);
        f.form.RtIntegerEditH2Oppm->SetValue(72);
        ASSERT_TRUE(f.dialogs.Messages.isEmpty()) << f.dialogs.Messages.join('|').toStdString();
        f.form.Core().State.MixerState = TMixerState::Dilution;
        TRtIntegerEdit* field = f.form.*c.field;

        f.Type(field, c.typed.left(1));
        EXPECT_EQ(f.form.Core().State.MixerState, TMixerState::Standby) << "the first digit stops the mixer";
        QTest::keyClicks(field, c.typed.mid(1));
        EXPECT_TRUE(f.dialogs.Messages.isEmpty()) << "nothing is said while the operator types";
        EXPECT_EQ(field->text(), c.typed) << "no keystroke is lost";
        const TMixRequest planned = f.form.Core().State.Request;
        EXPECT_EQ(planned.w, c.water) << "each value is planned as the limits hold it";

        QTest::keyClick(field, c.end);
        EXPECT_EQ(f.dialogs.Messages, c.told.isEmpty() ? QStringList() : QStringList{c.told});
        EXPECT_EQ(f.form.RtIntegerEditGasAPPM->Value(), c.gasA);
        EXPECT_EQ(f.form.RtIntegerEditH2Oppm->Value(), c.water);
        EXPECT_EQ(f.form.RtIntegerEditGasBPPM->Value(), 1000000 - c.gasA - c.water);
        EXPECT_EQ(f.form.Core().Mixer.LastPlan().w, c.water) << "the plan has the value the field shows";
        EXPECT_EQ(f.form.Core().State.MixerState, TMixerState::Standby);
    }
}
