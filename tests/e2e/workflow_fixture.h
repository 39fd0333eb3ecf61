#pragma once

#include "clock.h"
#include "form1.h"
#include "mixer_core.h"
#include "recording_dialogs.h"
#include "serial_lines.h"
#include "simulated_rig.h"
#include "tick_loop.h"
#include "widget_input.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

// The program as `dilutra --simulate` assembles it, on the fake clock and
// with recording dialogs; the machine's own ports are left out. Ticks come
// from the test, on the fake clock, not from the window's timer.
struct Workflow {
    FakeClock clock;
    RecordingDialogs dialogs;
    SimulatedRig rig{clock};
    RegisteredSerialLines lines;
    TForm1 form{TFormServices{clock, dialogs, lines}};

    Workflow()
    {
        form.Timer1->stop();
        rig.registerOn(lines);
        ShowActive(form);
    }

    void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void Page(int index) { ClickTab(form.PageControl1->tabBar(), index); }
    QStringList Memo(const QPlainTextEdit* memo) const { return memo->toPlainText().split('\n'); }

    int BubblerReadings() const
    {
        int n = 0;
        for (const RelayCommandRecord& c : rig.relay.commands())
            n += c.Bytes == std::vector<std::uint8_t>{254, 158};
        return n;
    }

    // Find ports, then the rig's ports chosen in both lists.
    void FindAndChoosePorts()
    {
        Click(form.ButtonSetupFindPorts);
        ClickItem(form.ListBoxPortSolenoid, 0);
        ClickItem(form.ListBoxPortMFC, 1);
    }

    // One tick as Timer1 delivers it.
    void Tick()
    {
        form.Guarded([this] { form.Timer1Timer(); });
    }
    void RunFor(double seconds, const std::function<void()>& afterTick = {})
    {
        RunTicks(
            clock, [this] { Tick(); }, seconds, afterTick);
    }
};
