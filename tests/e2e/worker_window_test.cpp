// The window as the program runs it: the core on its own thread, the
// simulated rig in-process on the real clock, the journal in a folder of
// its own. What the rig did is looked at from the rig's thread, through a
// command, as any client would.
#include "clock.h"
#include "form1.h"
#include "journal.h"
#include "log_table_model.h"
#include "mixer_core.h"
#include "recording_dialogs.h"
#include "rt_integer_edit.h"
#include "run_until.h"
#include "serial_lines.h"
#include "simulated_rig.h"
#include "window_setup.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

// What the rig holds at a moment, read on the rig's thread.
struct RigNow {
    std::uint8_t Valves = 0xFF;
    float SetPointA = -1.0f;
    float SetPointB = -1.0f;
};

RigNow LookAtTheRig(TForm1& form, SimulatedRig& rig)
{
    RigNow now;
    bool done = false;
    form.Service().Post(
        [&](TMixerCore&) {
            now = {rig.relay.pattern(), rig.mfc.setPoint(1), rig.mfc.setPoint(2)};
        },
        [&] { done = true; });
    RunUntil([&] { return done; });
    return now;
}

}  // namespace

TEST(WorkerWindow, TheWindowDrivesTheRigOnItsOwnThreadAndClosingLeavesItSafe)
{
    QTemporaryDir dir;
    RealClock clock;
    RecordingDialogs dialogs;
    SimulatedRig rig(clock);
    RegisteredSerialLines lines;
    rig.registerOn(lines);
    TJournal journal(clock);
    journal.UseFolder(dir.path());
    TForm1 form({clock, dialogs, lines, &journal, TRigThread::Worker});
    ASSERT_TRUE(form.Service().OnWorker());
    ASSERT_TRUE(SetUpThroughTheWindow(form, "SIM-RELAY", "SIM-MFC"));

    // A humidified dilution: rows, the readout and the plan reach the
    // window while the rig works.
    form.RtIntegerEditGasAPPM->SetValue(150);
    form.RtIntegerEditH2Oppm->SetValue(7300);
    form.ButtonDilution->click();
    ASSERT_TRUE(RunUntil([&] { return form.LogTable->StoredRows() >= 4; }, 8000));
    EXPECT_EQ(form.LabelStatus->text(), "Dilution");
    EXPECT_TRUE(form.Memo4->toPlainText().contains("A (pulse) in B/H2O"));
    EXPECT_NE(form.LabelPpmA->text(), QStringLiteral("\u2013")) << "the readout follows the ticks";
    EXPECT_GT(LookAtTheRig(form, rig).SetPointB, 0.0f);

    // Stop: closed and at zero without waiting for a tick of its own.
    form.ButtonStop->click();
    RigNow stopped = LookAtTheRig(form, rig);
    EXPECT_EQ(stopped.Valves, 0);
    EXPECT_EQ(stopped.SetPointA, 0.0f);
    EXPECT_EQ(stopped.SetPointB, 0.0f);

    // A flush stopped in its second step ends at once.
    form.ButtonFlush->click();
    ASSERT_TRUE(RunUntil([&] { return form.LabelStatus->text() == "Flush bubbler and chambers (5 sec)"; }, 8000));
    form.ButtonStop->click();
    EXPECT_EQ(LookAtTheRig(form, rig).Valves, 0);
    ASSERT_TRUE(RunUntil([&] { return form.LabelStatus->text() == "Standby"; }));

    // Bypass, then the window closed: the rig made safe, every row the core
    // stored in the table and the journal.
    form.ButtonBypass->click();
    ASSERT_TRUE(RunUntil([&] { return form.LabelStatus->text() == "Bypass"; }));
    RunUntil([] { return false; }, 600);
    form.close();
    EXPECT_EQ(rig.relay.pattern(), 0);
    EXPECT_EQ(rig.mfc.setPoint(1), 0.0f);
    EXPECT_EQ(rig.mfc.setPoint(2), 0.0f);
    EXPECT_EQ(form.LogTable->CellText(form.LogTable->DataRows() - 1, 1), "Bypass");
    EXPECT_TRUE(journal.UpToDate());
    QFile file(journal.Path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains(";Bypass;"));
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join("; ").toStdString();
}
