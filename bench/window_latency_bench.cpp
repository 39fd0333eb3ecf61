// How late the window's thread serves a posted event while the rig works:
// the real window on the simulated rig on the real clock, set up and driven
// by the operator's clicks, through Standby, a dry dilution of 150 ppm O2 in
// Ar, a humidified one (150 ppm O2 with 7300 ppm water), Bypass and a flush.
// A thread of its own posts an event to the window's thread every 20 ms with
// the moment it was posted; the delay until the event is served is one
// sample. Counters per state: the median, the 99th percentile and the
// largest delay in ms, and the number of samples. A delay is what a typed
// key or a repaint waits for before the window can see it.
#include "bench_main.h"
#include "clock.h"
#include "form1.h"
#include "list_box.h"
#include "operator_dialogs.h"
#include "rt_integer_edit.h"
#include "simulated_rig.h"
#include "system_serial_lines.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QEventLoop>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

class QuietDialogs final : public TOperatorDialogs {
public:
    void ShowMessage(QWidget*, const QString&) override {}
    void ShowError(QWidget*, const QString&) override {}
    bool AskYesNo(QWidget*, const QString&) override { return false; }
    QString PromptSaveFileName(QWidget*, const TSaveDialogSetup&, const QString&) override { return {}; }
    QString PromptOpenFileName(QWidget*, const TSaveDialogSetup&, const QString&) override { return {}; }
};

const QEvent::Type ProbeType = static_cast<QEvent::Type>(QEvent::registerEventType());

struct ProbeEvent final : QEvent {
    explicit ProbeEvent(SteadyClock::time_point at)
        : QEvent(ProbeType)
        , PostedAt(at)
    {
    }
    SteadyClock::time_point PostedAt;
};

// Lives on the window's thread; records each probe's delay while a state is
// being measured.
class ProbeReceiver final : public QObject {
public:
    std::vector<double>* Into = nullptr;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != ProbeType)
            return QObject::event(e);
        const auto delay = SteadyClock::now() - static_cast<ProbeEvent*>(e)->PostedAt;
        if (Into)
            Into->push_back(std::chrono::duration<double, std::milli>(delay).count());
        return true;
    }
};

// Posts a probe every `period` from its own thread until destroyed.
class ProbeSender {
public:
    ProbeSender(ProbeReceiver& receiver, std::chrono::milliseconds period)
        : thread_([this, &receiver, period] {
            auto next = SteadyClock::now();
            while (!stop_) {
                QCoreApplication::postEvent(&receiver, new ProbeEvent(SteadyClock::now()));
                next += period;
                std::this_thread::sleep_until(next);
            }
        })
    {
    }
    ~ProbeSender()
    {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Runs the window's event loop for `ms`, as the program's own loop runs: it
// sleeps until an event arrives (QTest::qWait would poll every 10 ms).
void RunLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the window's event loop until `done` or `ms` have passed.
template <class Done> bool WaitFor(Done done, int ms)
{
    const auto end = SteadyClock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (SteadyClock::now() > end)
            return false;
        RunLoop(10);
    }
    return true;
}

void SelectPort(QListWidget* list, const QString& name)
{
    const auto found = list->findItems(name, Qt::MatchExactly);
    if (!found.isEmpty())
        list->setCurrentItem(found.first());
}

// The operator's click on an item of a gas list.
void ClickItem(QListWidget* list, int row)
{
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(std::ceil(p * static_cast<double>(v.size()))) - 1;
    return v[std::min(i, v.size() - 1)];
}

void BM_WindowLatency(benchmark::State& state)
{
    RealClock clock;
    QuietDialogs dialogs;
    SystemSerialLines lines;
    SimulatedRig rig(clock);
    rig.registerOn(lines);
    TForm1 form({clock, dialogs, lines, nullptr, TRigThread::Worker});
    form.show();

    ProbeReceiver receiver;
    ProbeSender sender(receiver, std::chrono::milliseconds(20));

    form.ButtonSetupFindPorts->click();
    WaitFor([&] { return form.ListBoxPortMFC->count() > 0; }, 5000);
    SelectPort(form.ListBoxPortSolenoid, QStringLiteral("SIM-RELAY"));
    SelectPort(form.ListBoxPortMFC, QStringLiteral("SIM-MFC"));
    form.ButtonSetupValidate->click();
    if (!WaitFor([&] { return form.CheckBoxSolenoidOK->isChecked() && form.CheckBoxMFCOK->isChecked(); }, 20000)) {
        state.SkipWithError("the simulated rig did not validate");
        return;
    }
    ClickItem(form.ListBoxSetupGas1, 0);  // O2
    // The operator waits while the controller is switched to the gas.
    WaitFor([&] { return form.ListBoxSetupGas2->isEnabled(); }, 20000);
    ClickItem(form.ListBoxSetupGas2, 0);  // Ar
    if (!WaitFor([&] { return form.CheckBoxGasesSelected->isChecked(); }, 20000)) {
        state.SkipWithError("the gases were not chosen");
        return;
    }
    form.PageControl1->setCurrentIndex(1);

    struct Phase {
        const char* Name;
        std::function<void()> Enter;
        int SettleMs;
        int MeasureMs;
    };
    const std::vector<Phase> phases = {
        {"standby", [&] { form.ButtonStop->click(); }, 1000, 6000},
        {"dry",
         [&] {
             form.RtIntegerEditH2Oppm->SetValue(0);
             form.RtIntegerEditGasAPPM->SetValue(150);
             form.ButtonDilution->click();
         },
         3000, 6000},
        {"humid",
         [&] {
             form.RtIntegerEditH2Oppm->SetValue(7300);
             form.ButtonDilution->click();
         },
         3000, 6000},
        {"bypass", [&] { form.ButtonBypass->click(); }, 1000, 6000},
        {"flush", [&] { form.ButtonFlush->click(); }, 200, 8000},
    };

    for (auto _ : state) {
        for (const Phase& phase : phases) {
            std::vector<double> delays;
            phase.Enter();
            RunLoop(phase.SettleMs);
            receiver.Into = &delays;
            RunLoop(phase.MeasureMs);
            receiver.Into = nullptr;
            const std::string name = phase.Name;
            state.counters[name + "_p50_ms"] = Percentile(delays, 0.50);
            state.counters[name + "_p99_ms"] = Percentile(delays, 0.99);
            state.counters[name + "_max_ms"] = Percentile(delays, 1.0);
            state.counters[name + "_n"] = static_cast<double>(delays.size());
        }
    }
    form.ButtonStop->click();
    RunLoop(500);
    form.close();
}
BENCHMARK(BM_WindowLatency)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks<QApplication>(argc, argv);
}
