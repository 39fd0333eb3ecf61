#include "mixer_service.h"

#include "mixer_core.h"
#include "mixer_host.h"
#include "rig_setup.h"
#include "thread_queue.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <exception>
#include <future>
#include <stdexcept>

namespace {

constexpr int TickMs = 250;

// A report or a `done` reaches the owner's thread from its event loop, where
// nothing may throw: an error is shown as the toolkit shows one.
template <class Report> void Deliver(TMixerHost& host, const Report& report)
{
    try {
        report(host);
    } catch (const std::exception& e) {
        host.ShowError(QString::fromStdString(e.what()));
    } catch (...) {
        host.ShowError(QStringLiteral("Unknown error"));
    }
}

}  // namespace

// Hands every report to the host on the owner's thread, through its event
// queue: each report carries copies of its values.
class TMixerService::TQueuedHost final : public TMixerHost {
public:
    TQueuedHost(TThreadQueue& owner, TMixerHost& target)
        : Owner_(owner)
        , Target_(target)
    {
    }

    void ShowStatus(const QString& text) override
    {
        Queue([text](TMixerHost& h) { h.ShowStatus(text); });
    }
    void ShowPlanReport(const QString& text) override
    {
        Queue([text](TMixerHost& h) { h.ShowPlanReport(text); });
    }
    void AddPlanLine(const QString& line) override
    {
        Queue([line](TMixerHost& h) { h.AddPlanLine(line); });
    }
    void AddDevFeedbackLine(const QString& line) override
    {
        Queue([line](TMixerHost& h) { h.AddDevFeedbackLine(line); });
    }
    void ShowMessage(const QString& text) override
    {
        Queue([text](TMixerHost& h) { h.ShowMessage(text); });
    }
    void ShowError(const QString& text) override
    {
        Queue([text](TMixerHost& h) { h.ShowError(text); });
    }
    void ShowAlarm(const QString& line) override
    {
        Queue([line](TMixerHost& h) { h.ShowAlarm(line); });
    }
    void ClearAlarm() override
    {
        Queue([](TMixerHost& h) { h.ClearAlarm(); });
    }
    void ShowpH2O(double atm) override
    {
        Queue([atm](TMixerHost& h) { h.ShowpH2O(atm); });
    }
    void ShowMixture(const TMixtureFields& fields) override
    {
        Queue([fields](TMixerHost& h) { h.ShowMixture(fields); });
    }
    void ShowReadout(const TReadout& readout) override
    {
        Queue([readout](TMixerHost& h) { h.ShowReadout(readout); });
    }
    void ShowValves(std::uint8_t pattern) override
    {
        Queue([pattern](TMixerHost& h) { h.ShowValves(pattern); });
    }
    void ShowSetup(const TSetupState& setup) override
    {
        Queue([setup](TMixerHost& h) { h.ShowSetup(setup); });
    }
    void AddSetupFeedbackLine(const QString& line) override
    {
        Queue([line](TMixerHost& h) { h.AddSetupFeedbackLine(line); });
    }
    void StoreLogRow(const TLogRowValues& values, const TReadout& now) override
    {
        Queue([values, now](TMixerHost& h) { h.StoreLogRow(values, now); });
    }
    void StoreLogMarker() override
    {
        Queue([](TMixerHost& h) { h.StoreLogMarker(); });
    }
    void AttachPlanReport(const QString& report) override
    {
        Queue([report](TMixerHost& h) { h.AttachPlanReport(report); });
    }
    void ProgramRunning(bool running) override
    {
        Queue([running](TMixerHost& h) { h.ProgramRunning(running); });
    }
    void ShowProgramProgress(const QString& text) override
    {
        Queue([text](TMixerHost& h) { h.ShowProgramProgress(text); });
    }
    void ShowProgramStep(int index, const TProgramStep& step) override
    {
        Queue([index, step](TMixerHost& h) { h.ShowProgramStep(index, step); });
    }

private:
    template <class Report> void Queue(Report report)
    {
        Owner_.Post([report = std::move(report), &target = Target_] { Deliver(target, report); });
    }

    TThreadQueue& Owner_;
    TMixerHost& Target_;
};

TMixerService::TMixerService(SerialLines& lines, Clock& clock, TMixerHost& host, TRigThread thread)
    : Host_(&host)
{
    if (thread == TRigThread::Caller) {
        Core_ = std::make_unique<TMixerCore>(lines, clock, host);
        return;
    }
    OwnerQueue_ = std::make_unique<TThreadQueue>();
    QueuedHost_ = std::make_unique<TQueuedHost>(*OwnerQueue_, host);
    Thread_ = new QThread;
    Thread_->setObjectName(QStringLiteral("rig"));
    WorkerQueue_ = new TThreadQueue;
    WorkerQueue_->moveToThread(Thread_);
    // Whatever lives on the worker is deleted there when it ends.
    QObject::connect(Thread_, &QThread::finished, WorkerQueue_, &QObject::deleteLater);
    Thread_->start();
    // The core is made on its own thread, so that everything it makes
    // belongs there.
    std::promise<void> made;
    WorkerQueue_->Post([this, &lines, &clock, &made] {
        Core_ = std::make_unique<TMixerCore>(lines, clock, *QueuedHost_);
        Ticker_ = new QTimer(WorkerQueue_);
        Ticker_->setInterval(TickMs);
        QObject::connect(Ticker_, &QTimer::timeout, WorkerQueue_, [this] { RunOnWorker(&TMixerCore::Tick); });
        made.set_value();
    });
    made.get_future().wait();
}

TMixerService::~TMixerService()
{
    if (!Thread_)
        return;
    if (!Stopped_)
        Stop({}, 5000);
    if (Thread_->isFinished()) {
        delete Thread_;
        return;
    }
    // A worker stuck in an exchange past the close's time: the process ends
    // with it, and its core must outlive it.
    (void)Core_.release();
    (void)QueuedHost_.release();
}

void TMixerService::RunOnWorker(const TCommand& command)
{
    try {
        command(*Core_);
    } catch (const std::exception& e) {
        QueuedHost_->ShowError(QString::fromStdString(e.what()));
    } catch (...) {
        QueuedHost_->ShowError(QStringLiteral("Unknown error"));
    }
    Observed();
}

void TMixerService::Observed()
{
    if (!Observer_)
        return;
    // A client's copy that cannot be made never stops the rig.
    TMixerHost& host = QueuedHost_ ? static_cast<TMixerHost&>(*QueuedHost_) : *Host_;
    try {
        Observer_(*Core_);
    } catch (const std::exception& e) {
        host.ShowError(QString::fromStdString(e.what()));
    } catch (...) {
        host.ShowError(QStringLiteral("Unknown error"));
    }
}

void TMixerService::Observe(std::function<void(const TMixerCore&)> observer)
{
    if (!Thread_) {
        Observer_ = std::move(observer);
        return;
    }
    if (!Stopped_)
        WorkerQueue_->Post([this, observer = std::move(observer)] { Observer_ = observer; });
}

void TMixerService::Post(TCommand command, std::function<void()> done)
{
    if (!Thread_) {
        try {
            command(*Core_);
        } catch (...) {
            Observed();
            throw;
        }
        Observed();
        if (done)
            done();
        return;
    }
    if (Stopped_)
        return;
    WorkerQueue_->Post([this, command = std::move(command), done = std::move(done)] {
        RunOnWorker(command);
        if (done)
            OwnerQueue_->Post([this, done] { Deliver(*Host_, [&done](TMixerHost&) { done(); }); });
    });
}

void TMixerService::Start()
{
    if (Thread_ && !Stopped_)
        WorkerQueue_->Post([this] { Ticker_->start(); });
}

void TMixerService::Tick()
{
    if (!Thread_) {
        try {
            Core_->Tick();
        } catch (...) {
            Observed();
            throw;
        }
        Observed();
    }
}

void TMixerService::TickSoon()
{
    if (!Thread_ || Stopped_)
        return;
    WorkerQueue_->Post([this] {
        if (!Ticker_->isActive())
            return;
        RunOnWorker(&TMixerCore::Tick);
        Ticker_->start();
    });
}

bool TMixerService::Stop(TCommand last, int timeoutMs)
{
    if (!Thread_) {
        if (last)
            last(*Core_);
        return true;
    }
    if (Stopped_)
        return Thread_->isFinished();
    Stopped_ = true;
    auto finished = std::make_shared<std::promise<void>>();
    std::future<void> ran = finished->get_future();
    WorkerQueue_->Post([this, last = std::move(last), finished] {
        Ticker_->stop();
        if (last)
            RunOnWorker(last);
        finished->set_value();
        QThread::currentThread()->quit();
    });
    const bool inTime = ran.wait_for(std::chrono::milliseconds(timeoutMs)) == std::future_status::ready;
    return Thread_->wait(QDeadlineTimer(inTime ? timeoutMs : 0)) && inTime;
}

void TMixerService::DeliverReports()
{
    if (OwnerQueue_)
        OwnerQueue_->Drain();
}

TMixerCore& TMixerService::Core()
{
    if (Thread_)
        throw std::logic_error("the core runs on its own thread: reach it by commands");
    return *Core_;
}
