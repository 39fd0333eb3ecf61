#include "serve.h"

#include "clock.h"
#include "journal.h"
#include "mixer_core.h"
#include "mixer_service.h"
#include "record_store.h"
#include "remote_server.h"
#include "serve_host.h"
#include "simulated_rig.h"
#include "system_serial_lines.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>

namespace {

constexpr int CloseTimeoutMs = 5000;

QString Text(const std::string& s)
{
    return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

struct TServe::TParts {
    TParts(std::FILE* out, std::FILE* err)
        : Journal(Clock)
        , Host(out, err)
    {
    }

    RealClock Clock;
    SystemSerialLines Lines;
    std::unique_ptr<SimulatedRig> Rig;
    TJournal Journal;
    TServeHost Host;
    std::unique_ptr<TMixerService> Service;
    std::unique_ptr<TRemoteServer> Server;
};

TServe::TServe(const TServeOptions& options, std::FILE* out, std::FILE* err)
    : options_(options)
    , err_(err)
    , p_(std::make_unique<TParts>(out, err))
{
    if (options_.Simulate) {
        // The simulated equipment on the real clock: every exchange takes
        // the time it takes on a real rig.
        p_->Rig = std::make_unique<SimulatedRig>(p_->Clock);
        for (const TScheduledFault& f : options_.Faults)
            p_->Rig->scheduleFault(f.Fault, f.Seconds);
        p_->Rig->registerOn(p_->Lines);
        if (options_.RelayPort.empty())
            options_.RelayPort = SimulatedRig::RelayPortName;
        if (options_.MfcPort.empty())
            options_.MfcPort = SimulatedRig::MfcPortName;
    }
}

TServe::~TServe()
{
    Stop();
}

int TServe::Run()
{
    TParts& p = *p_;
    p.Journal.UseFolder(options_.JournalFolder.isEmpty() ? TJournal::DefaultFolder() : options_.JournalFolder);
    QObject::connect(&p.Journal, &TJournal::Failed,
                     [this](const QString& m) { Fail(QStringLiteral("journal: ") + m); });
    QObject::connect(&p.Journal, &TJournal::Recovered,
                     [&p](const QString& m) { p.Host.Print(QStringLiteral("journal: ") + m); });
    p.Journal.Follow(p.Host.Log);
    p.Host.Print(QStringLiteral("journal: %1").arg(QDir::toNativeSeparators(p.Journal.Path())));
    if (!p.Journal.UnclosedPrevious().isEmpty())
        p.Host.Print(QStringLiteral("journal: the previous run ended without closing; its log was kept in %1")
                         .arg(QDir::toNativeSeparators(p.Journal.UnclosedPrevious())));

    p.Service = std::make_unique<TMixerService>(p.Lines, p.Clock, p.Host, TRigThread::Worker);
    p.Server = std::make_unique<TRemoteServer>(*p.Service);
    QObject::connect(p.Server.get(), &TRemoteServer::ClientEvent, [&p](const QString& line) { p.Host.Print(line); });
    p.Service->Start();
    // The lab's records, which the plans' uncertainty rests on; a record
    // that cannot be used is told and left out.
    const TRecordsLoad records = TRecordStore().Load();
    for (const std::string& problem : records.Problems)
        p.Host.Print(QStringLiteral("records: ") + Text(problem));
    p.Service->Post([r = records.Records](TMixerCore& c) { c.Mixer.SetRecords(r); });
    SetUp();
    const int code = QCoreApplication::exec();
    return code_ != 0 ? code_ : code;
}

void TServe::SetUp()
{
    // The Setup page's steps: the ports found and chosen, both devices
    // validated, each gas selected; then the bubbler read, as entering the
    // Operation page reads it.
    auto failure = std::make_shared<QString>();
    p_->Service->Post(
        [o = options_, failure](TMixerCore& c) {
            c.Setup.FindPorts();
            const std::vector<std::string>& ports = c.Setup.State().Ports;
            for (const std::string& port : {o.RelayPort, o.MfcPort}) {
                if (std::find(ports.begin(), ports.end(), port) == ports.end()) {
                    QStringList found;
                    for (const std::string& name : ports)
                        found << Text(name);
                    *failure = QStringLiteral("port %1 is not there (ports: %2)")
                                   .arg(Text(port), found.isEmpty() ? QStringLiteral("none") : found.join(", "));
                    return;
                }
            }
            c.Setup.SelectPorts(o.RelayPort, o.MfcPort);
            c.Setup.Validate();
            if (!c.Setup.State().SolenoidOK)
                *failure = QStringLiteral("the relay board on %1 did not validate").arg(Text(o.RelayPort));
            else if (!c.Setup.State().MFCOK)
                *failure = QStringLiteral("the flow controllers on %1 did not validate").arg(Text(o.MfcPort));
            else if (!c.Setup.SelectGas(1, GasListPosition(1, o.GasA))
                     || !c.Setup.SelectGas(2, GasListPosition(2, o.GasB)))
                *failure = QStringLiteral("the gases could not be selected");
            else
                c.Mixer.ReadBubbler();
        },
        [this, failure] {
            if (stopped_)
                return;
            if (!failure->isEmpty())
                Fail(*failure);
            else
                Serve();
        });
}

void TServe::Serve()
{
    TParts& p = *p_;
    p.Host.ShowSetupLines = false;
    p.Host.Print(QStringLiteral("setup: relay board on %1, flow controllers on %2, gas A %3, gas B %4")
                     .arg(Text(options_.RelayPort), Text(options_.MfcPort), Text(options_.GasA), Text(options_.GasB)));
    if (!p.Server->Listen(options_.Listen)) {
        Fail(p.Server->ErrorText());
        return;
    }
    const QString where = ListenAddressText(p.Server->Where());
    p.Host.Print(QStringLiteral("listening on ") + where);
    // The log says when remote control began, and where.
    p.Service->Post([line = QStringLiteral("Remote control listening on ") + where](TMixerCore& c) {
        c.Mixer.MarkLog(line.toLocal8Bit().toStdString());
    });
}

void TServe::Fail(const QString& why)
{
    std::fprintf(err_, "dilutra-cli serve: %s\n", why.toLocal8Bit().constData());
    std::fflush(err_);
    // A journal that cannot be written is told; the rig goes on.
    if (why.startsWith(QStringLiteral("journal: ")))
        return;
    code_ = 1;
    Stop();
}

void TServe::Stop()
{
    if (stopped_ || !p_->Service)
        return;
    stopped_ = true;
    TParts& p = *p_;
    p.Server->Close();
    const bool inTime = p.Service->Stop([](TMixerCore& c) { c.Close(); }, CloseTimeoutMs);
    // The rows stored on the way out reach the log and the journal.
    p.Service->DeliverReports();
    p.Journal.Close();
    p.Host.Print(inTime ? QStringLiteral("closed: every valve closed, both set-points zero")
                        : QStringLiteral("closed: the rig did not answer in time"));
    QCoreApplication::exit(code_);
}
