#pragma once

#include "clock.h"
#include "compounds.h"
#include "form1.h"
#include "mixer_core.h"
#include "journal.h"
#include "log_table_model.h"
#include "mfc_bus_model.h"
#include "qt_printers.h"
#include "recording_dialogs.h"
#include "relay_board_model.h"
#include "rt_double_edit.h"
#include "rt_integer_edit.h"
#include "serial_lines.h"
#include "simulated_port.h"
#include "simulated_rig.h"
#include "tick_loop.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <string>

// The fake clock with a hook at each of the program's own waits, where a
// test looks at the window (the status text shown during a flush step) or
// queues the operator's next action for the window's next message pump.
class HookedClock final : public Clock {
public:
    double now() const override { return Fake.now(); }
    double wallNow() const override { return Fake.wallNow(); }
    void sleepMs(unsigned ms) override
    {
        if (OnSleep)
            OnSleep(ms);
        Fake.sleepMs(ms);
    }
    void deviceWaitMs(double ms) override { Fake.deviceWaitMs(ms); }

    FakeClock Fake;
    std::function<void(unsigned ms)> OnSleep;
};

// The whole program on the simulated rig: the window on the hooked clock,
// both flow controllers and the relay board on the rig's ports, the
// ports selected and validated, oxygen in argon chosen (controller ranges
// read from the controllers) and the bubbler read into the pH2O field. The
// request is the Operation page's start: 150 ppm oxygen, no water. Given a
// folder, or a file to write to, the window keeps its journal there.
struct RigFixture {
    QString JournalTarget;
    HookedClock clock;
    RecordingDialogs dialogs;
    SimulatedRig rig{clock};
    MfcBusModel& mfc = rig.mfc;
    SimulatedPort& mfcPort = rig.mfcPort;
    RelayBoardModel& relay = rig.relay;
    SimulatedPort& relayPort = rig.relayPort;
    RegisteredSerialLines lines;
    TJournal journal{clock};
    TForm1 form{TFormServices{clock, dialogs, lines, JournalAt(JournalTarget)}};
    TWindowState& s = form.Core().State;
    QString StartMemo;  // MemoDevFeedback as the window opened

    explicit RigFixture(const QString& journalTarget = {})
        : JournalTarget(journalTarget)
    {
        StartMemo = form.MemoDevFeedback->toPlainText();
        rig.registerOn(lines);
        form.ListBoxPortMFC->addItem(QStringLiteral("SIM-MFC"));
        form.ListBoxPortMFC->setCurrentRow(0);
        form.ListBoxPortSolenoid->addItem(QStringLiteral("SIM-RELAY"));
        form.ListBoxPortSolenoid->setCurrentRow(0);
        form.ButtonSetupValidate->click();

        form.ListBoxSetupGas1->setCurrentRow(0);  // O2
        form.ListBoxSetupGas1Click();
        form.ListBoxSetupGas2->setCurrentRow(0);  // Ar
        form.ListBoxSetupGas2Click();
        form.RtIntegerEditH2OTempValueChanged();

        mfc.clearRecords();
        relay.clearRecords();
        clock.Fake.clearSleeps();
        form.MemoDevFeedback->clear();
    }

    TJournal* JournalAt(const QString& target)
    {
        if (target.isEmpty())
            return nullptr;
        if (QFileInfo(target).isDir())
            journal.UseFolder(target);
        else
            journal.UseFile(target);
        return &journal;
    }

    // The operator's request in ppm; gas B is the rest of a million.
    void Request(int gasA, int water)
    {
        form.RtIntegerEditGasAPPM->SetValue(gasA);
        form.RtIntegerEditH2Oppm->SetValue(water);
        form.RtIntegerEditGasBPPM->SetValue(1000000 - gasA - water);
    }

    // One tick as Timer1 delivers it.
    void Tick()
    {
        form.Guarded([this] { form.Timer1Timer(); });
    }

    // Ticks for `seconds` of clock time as Timer1 would; `afterTick` runs
    // after each tick.
    void RunFor(double seconds, const std::function<void()>& afterTick = {})
    {
        RunTicks(
            clock.Fake, [this] { Tick(); }, seconds, afterTick);
    }

    std::string Cell(int row, int column) const { return form.LogTable->CellText(row, column).toStdString(); }
    int Rows() const { return form.LogTable->DataRows(); }
    QStringList DevLines() const { return form.MemoDevFeedback->toPlainText().split(QLatin1Char('\n')); }
};

// Log columns used by the tests.
inline constexpr int ModeColumn = 1;
inline constexpr int MethodColumn = 2;
inline constexpr int GasAColumn = 3;

// The relay board's pattern byte of a valve list (1 = open, V1 first).
inline std::uint8_t Pattern(std::initializer_list<int> valves)
{
    std::uint8_t bits = 0;
    int bit = 0;
    for (int v : valves)
        bits |= static_cast<std::uint8_t>((v ? 1 : 0) << bit++);
    return bits;
}
