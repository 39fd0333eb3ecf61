#include "mixer_service.h"

#include "mixer_core.h"
#include "mixer_host.h"
#include "rig_setup.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <exception>
#include <future>
#include <stdexcept>

namespace {

constexpr int TickMs = 250;

}  // namespace

// Hands every report to the host on the owner's thread, through its event
// queue: each report carries copies of its values.
class TMixerService::TQueuedHost final : public TMixerHost {
public:
    TQueuedHost(QObject& owner, TMixerHost& target)
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
        QMetaObject::invokeMethod(
            &Owner_, [report = std::move(report), &target = Target_] { report(target); }, Qt::QueuedConnection);
    }

    QObject& Owner_;
    TMixerHost& Target_;
};

TMixerService::TMixerService(SerialLines& lines, Clock& clock, TMixerHost& host, TRigThread thread)
    : Owner_(std::make_unique<QObject>())
{
    if (thread == TRigThread::Caller) {
        Core_ = std::make_unique<TMixerCore>(lines, clock, host);
        return;
    }
    QueuedHost_ = std::make_unique<TQueuedHost>(*Owner_, host);
    Thread_ = new QThread;
    Thread_->setObjectName(QStringLiteral("rig"));
    Worker_ = new QObject;
    Worker_->moveToThread(Thread_);
    // Whatever lives on the worker is deleted there when it ends.
    QObject::connect(Thread_, &QThread::finished, Worker_, &QObject::deleteLater);
    Thread_->start();
    // The core is made on its own thread, so that everything it makes
    // belongs there.
    QMetaObject::invokeMethod(
        Worker_,
        [this, &lines, &clock] {
            Core_ = std::make_unique<TMixerCore>(lines, clock, *QueuedHost_);
            Ticker_ = new QTimer(Worker_);
            Ticker_->setInterval(TickMs);
            QObject::connect(Ticker_, &QTimer::timeout, Worker_, [this] { RunOnWorker(&TMixerCore::Tick); });
        },
        Qt::BlockingQueuedConnection);
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
}

void TMixerService::Post(TCommand command, std::function<void()> done)
{
    if (!Thread_) {
        command(*Core_);
        if (done)
            done();
        return;
    }
    if (Stopped_)
        return;
    QMetaObject::invokeMethod(
        Worker_,
        [this, command = std::move(command), done = std::move(done)] {
            RunOnWorker(command);
            if (done)
                QMetaObject::invokeMethod(Owner_.get(), done, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void TMixerService::Start()
{
    if (Thread_ && !Stopped_)
        QMetaObject::invokeMethod(Ticker_, qOverload<>(&QTimer::start), Qt::QueuedConnection);
}

void TMixerService::Tick()
{
    if (!Thread_)
        Core_->Tick();
}

void TMixerService::TickSoon()
{
    if (!Thread_ || Stopped_)
        return;
    QMetaObject::invokeMethod(
        Worker_,
        [this] {
            if (!Ticker_->isActive())
                return;
            RunOnWorker(&TMixerCore::Tick);
            Ticker_->start();
        },
        Qt::QueuedConnection);
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
    QMetaObject::invokeMethod(
        Worker_,
        [this, last = std::move(last), finished] {
            Ticker_->stop();
            if (last)
                RunOnWorker(last);
            finished->set_value();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    const bool inTime = ran.wait_for(std::chrono::milliseconds(timeoutMs)) == std::future_status::ready;
    return Thread_->wait(QDeadlineTimer(inTime ? timeoutMs : 0)) && inTime;
}

void TMixerService::DeliverReports()
{
    QCoreApplication::sendPostedEvents(Owner_.get());
}

TMixerCore& TMixerService::Core()
{
    if (Thread_)
        throw std::logic_error("the core runs on its own thread: reach it by commands");
    return *Core_;
}
