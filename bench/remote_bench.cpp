// The round trip of a lab script's query through the command server while
// the rig runs a humidified dilution (150 ppm O2 in Ar with 7300 ppm water)
// on the simulated rig on the real clock: the server and the mixer service
// on a thread of their own as in dilutra-cli serve (the core on its worker
// with its tick), a client on a blocking socket sending one query at a time
// and reading its reply line. Counters: median, 99th percentile and largest
// round trip in ms. Aim: a 99th percentile of at most 5 ms.
#include "bench_main.h"
#include "clock.h"
#include "mixer_core.h"
#include "mixer_host.h"
#include "mixer_service.h"
#include "remote_server.h"
#include "serial_lines.h"
#include "simulated_rig.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <future>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using SteadyClock = std::chrono::steady_clock;

class QuietHost final : public TMixerHost {
public:
    void ShowStatus(const QString&) override {}
    void ShowPlanReport(const QString&) override {}
    void AddPlanLine(const QString&) override {}
    void AddDevFeedbackLine(const QString&) override {}
    void ShowMessage(const QString&) override {}
    void ShowAlarm(const QString&) override {}
    void ClearAlarm() override {}
    void ShowpH2O(double) override {}
    void ShowMixture(const TMixtureFields&) override {}
    void StoreLogRow(const TLogRowValues&, const TReadout&) override {}
    void StoreLogMarker() override {}
    void AttachPlanReport(const QString&) override {}
};

// The headless server's shape on a thread of its own: the rig set up and
// diluting before the port is handed out.
class ServerThread final : public QThread {
public:
    std::future<quint16> Port() { return port_.get_future(); }

protected:
    void run() override
    {
        RealClock clock;
        SimulatedRig rig(clock);
        RegisteredSerialLines lines;
        rig.registerOn(lines);
        QuietHost host;
        TMixerService service(lines, clock, host, TRigThread::Worker);
        TRemoteServer server(service);
        service.Start();
        QEventLoop ready;
        service.Post(
            [](TMixerCore& c) {
                c.Setup.SelectPorts(SimulatedRig::RelayPortName, SimulatedRig::MfcPortName);
                c.Setup.Validate();
                c.Setup.SelectGas(1, 0);
                c.Setup.SelectGas(2, 0);
                c.Mixer.SetMixture(150, 7300, TMixtureSource::Operator);
                c.Mixer.ButtonDilutionClick();
            },
            [&ready] { ready.quit(); });
        ready.exec();
        // A few seconds into the dilution, its pulses and water running.
        QTimer::singleShot(3000, &ready, &QEventLoop::quit);
        ready.exec();
        server.Listen({QHostAddress(QHostAddress::LocalHost), 0});
        port_.set_value(server.Where().Port);
        exec();
        server.Close();
        service.Stop([](TMixerCore& c) { c.Close(); }, 5000);
    }

private:
    std::promise<quint16> port_;
};

double Percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(std::ceil(p * static_cast<double>(v.size()))) - 1;
    return v[std::min(i, v.size() - 1)];
}

ServerThread* Server = nullptr;

quint16 ServerPort()
{
    static const quint16 port = [] {
        Server = new ServerThread;
        Server->start();
        return Server->Port().get();
    }();
    return port;
}

void BM_RoundTrip(benchmark::State& state, const std::string& query)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(ServerPort());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        state.SkipWithError("cannot connect");
        close(fd);
        return;
    }
    const std::string line = query + "\n";
    std::vector<double> ms;
    std::string reply;
    for (auto _ : state) {
        const auto start = SteadyClock::now();
        if (send(fd, line.data(), line.size(), 0) != static_cast<ssize_t>(line.size()))
            break;
        reply.clear();
        char c = 0;
        while (recv(fd, &c, 1, 0) == 1 && c != '\n')
            reply += c;
        ms.push_back(std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count());
    }
    close(fd);
    if (ms.empty() || reply.empty()) {
        state.SkipWithError("no reply");
        return;
    }
    state.counters["median_ms"] = Percentile(ms, 0.5);
    state.counters["p99_ms"] = Percentile(ms, 0.99);
    state.counters["max_ms"] = *std::max_element(ms.begin(), ms.end());
    state.SetLabel(reply);
}

}  // namespace

BENCHMARK_CAPTURE(BM_RoundTrip, idn, std::string("*IDN?"))->Iterations(2000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RoundTrip, measure_gas_a, std::string("MEASure:GASA:CONCentration?"))
    ->Iterations(2000)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    const int code = RunBenchmarks<QCoreApplication>(argc, argv);
    // The rig is left safe: the server thread's close duties run before
    // the program ends.
    if (Server) {
        Server->quit();
        Server->wait();
        delete Server;
    }
    return code;
}
