#include "day_count.h"
#include "form_fixture.h"
#include "rt_double_edit.h"
#include "schematic.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// Whether the schematic shows valve `id` open: its open bar is black just
// beside the centre and its closed bar white.
bool ShownOpen(const QImage& img, unsigned id)
{
    const TValveGlyph& v = ValveGlyphs[id - 1];
    const bool openHorizontal = v.OpenFrom.y() == v.OpenTo.y();
    const QPoint alongOpen
        = openHorizontal ? QPoint(v.Centre.x() + 4, v.Centre.y()) : QPoint(v.Centre.x(), v.Centre.y() + 4);
    const QPoint alongClosed
        = openHorizontal ? QPoint(v.Centre.x(), v.Centre.y() + 4) : QPoint(v.Centre.x() + 4, v.Centre.y());
    const bool openBar = img.pixel(alongOpen) == qRgb(0, 0, 0);
    const bool closedBar = img.pixel(alongClosed) == qRgb(0, 0, 0);
    EXPECT_NE(openBar, closedBar) << "valve " << id << " shows both bars or none";
    return openBar;
}

QString Transcript(const char* status, const char* response, bool ok)
{
    return QStringLiteral(
               "Time  0: 10:00:00.000\n\nWrite 254 33  : 254 33\nComm Status   : %1\nComm Response : %2\n%3\n")
        .arg(QString::fromLatin1(status), QString::fromLatin1(response),
             ok ? QStringLiteral("Relay board controlling solenoids is OK")
                : QStringLiteral("Relay board controlling solenoids was NOT OK"));
}

}  // namespace

TEST(FormValves, StartUpShowsEveryValveClosedAndSendsNothing)
{
    FormFixture f;
    for (unsigned id = 1; id <= 6; ++id)
        EXPECT_FALSE(ShownOpen(f.form.Schematic, id)) << id;
    EXPECT_TRUE(f.relay.commands().empty());
    EXPECT_EQ(f.relayPort.openCount(), 0);
    const TWindowState& w = f.form.Core().State;
    EXPECT_FALSE(w.V1O || w.V2O || w.V3O || w.V4O || w.V5O || w.V6O);
}

TEST(FormValves, SetValvePositionsSwitchesTheBoardTheFlagsAndTheSchematic)
{
    FormFixture f;
    f.SelectRelayPort();
    struct Case {
        int v[6];
        std::uint8_t pattern;
    };
    const Case cases[] = {
        {{1, 1, 0, 0, 1, 0}, 19}, {{0, 0, 1, 0, 0, 0}, 4}, {{1, 1, 0, 0, 0, 1}, 35}, {{0, 0, 0, 1, 0, 1}, 40},
        {{0, 0, 0, 1, 1, 0}, 24}, {{0, 0, 0, 0, 0, 0}, 0}, {{0, 0, 0, 0, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        f.form.SetValvePositions(c.v[0], c.v[1], c.v[2], c.v[3], c.v[4], c.v[5]);
        EXPECT_EQ(f.relay.commands().back().Bytes, (std::vector<std::uint8_t>{254, 40, c.pattern}));
        const TWindowState& w = f.form.Core().State;
        const bool flags[] = {w.V1O, w.V2O, w.V3O, w.V4O, w.V5O, w.V6O};
        for (unsigned id = 1; id <= 6; ++id) {
            EXPECT_EQ(flags[id - 1], c.v[id - 1] != 0) << "flag of V" << id;
            EXPECT_EQ(ShownOpen(f.form.Schematic, id), c.v[id - 1] != 0) << "drawing of V" << id;
            EXPECT_EQ(f.relay.valveOpen(static_cast<int>(id)), c.v[id - 1] != 0) << "board relay " << id;
        }
    }
    // The all-closed pattern goes out again although nothing changes.
    EXPECT_EQ(f.relay.patterns().size(), std::size(cases));
    // Image1 shows the picture as drawn.
    EXPECT_EQ(f.form.Image1->pixmap().toImage().convertToFormat(QImage::Format_RGB888), f.form.Schematic);
}

TEST(FormValves, TheFlagsAndDrawingShowThePatternTheBoardLastAccepted)
{
    FormFixture f;
    f.SelectRelayPort();
    f.form.SetValvePositions(0, 0, 1, 0, 0, 0);
    f.relay.Faults.Silent = true;
    f.form.SetValvePositions(1, 1, 0, 0, 1, 0);
    EXPECT_TRUE(f.form.Core().State.V3O && !f.form.Core().State.V1O) << "a refused pattern changes nothing";
    EXPECT_TRUE(ShownOpen(f.form.Schematic, 3));
    EXPECT_FALSE(ShownOpen(f.form.Schematic, 1));
    EXPECT_TRUE(f.dialogs.Errors.isEmpty());
}

TEST(FormValves, ValidationAppendsTheBoardTranscriptThenChecksTheControllers)
{
    FormFixture f;
    f.SelectRelayPort();
    f.SelectMfcPort();
    f.form.ButtonSetupValidate->click();
    EXPECT_TRUE(f.form.CheckBoxSolenoidOK->isChecked());
    EXPECT_TRUE(f.form.CheckBoxMFCOK->isChecked());
    const QString first = Transcript("", "85", true) + "\nMFCs are OK\n";
    EXPECT_EQ(f.form.MemoSetupFeedback->toPlainText(), first);

    // A second validation appends below the first; a failing board clears
    // the mark an earlier validation set.
    f.relay.Faults.CheckReply = 170;
    const QString at = DayCountToDateTime(f.clock.wallNow()).toString("hh:mm:ss.zzz");
    ASSERT_NE(at, "10:00:00.000") << "the first validation took time";
    f.form.ButtonSetupValidate->click();
    EXPECT_FALSE(f.form.CheckBoxSolenoidOK->isChecked());
    EXPECT_TRUE(f.form.CheckBoxMFCOK->isChecked());
    const QString second = Transcript("", "170", false).replace("10:00:00.000", at) + "\nMFCs are OK\n";
    EXPECT_EQ(f.form.MemoSetupFeedback->toPlainText(), first + second);
}

TEST(FormValves, ValidationSkipsWhatHasNoPortSelected)
{
    {
        FormFixture f;  // nothing selected: no line, no mark changes
        f.SelectRelayPort();
        f.form.ButtonSetupValidate->click();
        f.form.MemoSetupFeedback->clear();
        f.form.ListBoxPortSolenoid->clearSelection();
        f.form.ButtonSetupValidate->click();
        EXPECT_TRUE(f.form.MemoSetupFeedback->toPlainText().isEmpty());
        EXPECT_TRUE(f.form.CheckBoxSolenoidOK->isChecked());
        EXPECT_FALSE(f.form.CheckBoxMFCOK->isChecked());
    }
    {
        FormFixture f;  // only the controllers
        f.SelectMfcPort();
        f.form.ButtonSetupValidate->click();
        EXPECT_EQ(f.form.MemoSetupFeedback->toPlainText(), "\nMFCs are OK\n");
        EXPECT_TRUE(f.relay.commands().empty());
        EXPECT_FALSE(f.form.CheckBoxSolenoidOK->isChecked());
    }
    {
        FormFixture f;  // only the relay board, which is silent
        f.SelectRelayPort();
        f.relay.Faults.Silent = true;
        f.form.ButtonSetupValidate->click();
        EXPECT_EQ(f.form.MemoSetupFeedback->toPlainText(),
                  Transcript("Timeout while waiting for response", "0", false));
        EXPECT_TRUE(f.mfc.frames().empty());
    }
}

TEST(FormValves, ClosingContactsOnlyValidatedEquipment)
{
    struct Case {
        bool relayOk;
        bool mfcOk;
    };
    for (const Case c : {Case{false, false}, Case{true, false}, Case{false, true}, Case{true, true}}) {
        SCOPED_TRACE(std::to_string(c.relayOk) + std::to_string(c.mfcOk));
        FormFixture f;
        f.SelectRelayPort();
        f.SelectMfcPort();
        // The marks as a validation left them.
        f.relay.Faults.Silent = !c.relayOk;
        f.mfc.faults(1).Silent = !c.mfcOk;
        f.form.ButtonSetupValidate->click();
        ASSERT_EQ(f.form.CheckBoxSolenoidOK->isChecked(), c.relayOk);
        ASSERT_EQ(f.form.CheckBoxMFCOK->isChecked(), c.mfcOk);
        f.relay.Faults.Silent = false;
        f.mfc.clearFaults();
        f.relay.clearRecords();
        f.mfc.clearRecords();
        f.form.close();
        if (c.relayOk) {
            ASSERT_EQ(f.relay.commands().size(), 1u);
            EXPECT_EQ(f.relay.commands()[0].Bytes, (std::vector<std::uint8_t>{254, 40, 0}));
        } else {
            EXPECT_TRUE(f.relay.commands().empty());
        }
        EXPECT_EQ(f.mfc.setPoints().size(), c.mfcOk ? 2u : 0u);
        // The valves close before the set-points are zeroed.
        if (c.relayOk && c.mfcOk) {
            EXPECT_LT(f.relay.commands()[0].At, f.mfc.setPoints()[0].At);
        }
    }
}

TEST(FormValves, BubblerReadingFillsThePressureFieldOrLeavesIt)
{
    FormFixture f;
    f.SelectRelayPort();
    f.relay.Faults.AnalogueCount = 512;
    f.form.RtIntegerEditH2OTempValueChanged();
    EXPECT_EQ(f.form.MemoDevFeedback->toPlainText(), "0-1024 DAC = 512\nVoltage    = 2.5\nOhm        = 10000\n");
    const double atm = f.form.RtIntegerEditpH2O->Value();
    EXPECT_NEAR(atm, 0.0305, 0.0005);
    EXPECT_FALSE(f.form.RtIntegerEditpH2O->text().isEmpty());

    // Failed and impossible readings keep the last sound pressure, with a
    // line that says why, and no error box.
    f.relay.Faults.ShortAnalogueReply = true;
    f.form.RtIntegerEditH2OTempValueChanged();
    f.relay.Faults.ShortAnalogueReply = false;
    f.relay.Faults.AnalogueCount = 0;
    f.form.RtIntegerEditH2OTempValueChanged();
    f.relay.Faults.Silent = true;
    f.form.RtIntegerEditH2OTempValueChanged();
    EXPECT_EQ(f.form.RtIntegerEditpH2O->Value(), atm);
    EXPECT_TRUE(f.form.MemoDevFeedback->toPlainText().endsWith(
        "Thermistor reading failed: short reply\n0-1024 DAC = 0\nThermistor reading out of range: DAC = 0\n"
        "Thermistor reading failed: Timeout while waiting for response\n"));
    EXPECT_TRUE(f.dialogs.Errors.isEmpty());
}
