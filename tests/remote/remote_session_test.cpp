// The command server's sessions against the mixer core on the caller's
// thread, on the simulated rig and the fake clock; and the server itself
// with real sockets on the loopback.
#include "clock.h"
#include "mfc_services.h"
#include "mixer_core.h"
#include "mixer_host.h"
#include "mixer_service.h"
#include "remote_server.h"
#include "remote_session.h"
#include "remote_view.h"
#include "run_until.h"
#include "serial_lines.h"
#include "simulated_rig.h"
#include "time_units.h"

#include <gtest/gtest.h>

#include <QTcpSocket>

#include <algorithm>
#include <memory>

namespace {

class RecordingHost final : public TMixerHost {
public:
    void ShowStatus(const QString&) override {}
    void ShowPlanReport(const QString&) override {}
    void AddPlanLine(const QString&) override {}
    void AddDevFeedbackLine(const QString& line) override { Debug << line; }
    void ShowMessage(const QString& text) override { Messages << text; }
    void ShowAlarm(const QString&) override {}
    void ClearAlarm() override {}
    void ShowpH2O(double) override {}
    void ShowMixture(const TMixtureFields&) override {}
    void StoreLogRow(const TLogRowValues& values, const TReadout&) override { LastRow = values; }
    void StoreLogMarker() override {}
    void AttachPlanReport(const QString&) override {}

    QStringList Debug;
    QStringList Messages;
    TLogRowValues LastRow;
};

struct RemoteRig : testing::Test {
    FakeClock Clock;
    SimulatedRig Rig{Clock};
    RegisteredSerialLines Lines;
    RecordingHost Host;
    std::unique_ptr<TMixerService> Service;
    std::shared_ptr<TRemoteSession> Session;
    std::string Sent;

    void SetUp() override
    {
        Rig.registerOn(Lines);
        Service = std::make_unique<TMixerService>(Lines, Clock, Host, TRigThread::Caller);
        Session = std::make_shared<TRemoteSession>(*Service, ObserveForRemote(*Service), "127.0.0.1:4242",
                                                   [this](const std::string& reply) { Sent += reply; });
    }
    TMixerCore& Core() { return Service->Core(); }
    void SetUpTheRig()
    {
        TRigSetup& setup = Core().Setup;
        setup.SelectPorts(SimulatedRig::RelayPortName, SimulatedRig::MfcPortName);
        setup.Validate();
        ASSERT_TRUE(setup.SelectGas(1, 0) && setup.SelectGas(2, 0));
    }
    // What the client is sent for one line.
    std::string Say(const std::string& line)
    {
        Sent.clear();
        Session->Receive(line + "\r\n");
        return Sent;
    }
    void RunFor(double seconds)
    {
        // A tick every 250 ms, or at once after a longer one.
        const double end = Clock.now() + seconds / SecondsPerDay;
        while (Clock.now() < end) {
            const double start = Clock.now();
            Service->Tick();
            Clock.advanceMs(std::max(0.0, 250.0 - (Clock.now() - start) * MsPerDay));
        }
    }
};

}  // namespace

TEST_F(RemoteRig, CommandsDoWhatTheWindowDoesAndAnswerInOrder)
{
    // Nothing starts the rig before it is set up.
    EXPECT_EQ(Say("MIX:STAT DIL;SOUR:GASA:CONC 10;:SYST:ERR?;ERR?"),
              "-221,\"Settings conflict;Validate the equipment and select the gases first\";"
              "-221,\"Settings conflict;Validate the equipment and select the gases first\"\n");
    EXPECT_EQ(Core().State.MixerState, TMixerState::Unknown);
    EXPECT_EQ(Say("*RST;*OPC?"), "1\n");
    EXPECT_EQ(Core().State.MixerState, TMixerState::Unknown) << "nothing to stop";

    SetUpTheRig();
    // Too little water is raised to the minimum: the window's message, as
    // error 102, and the settled value read back.
    const std::string reply = Say("SOUR:GASA:CONC 150;:SOUR:WAT:CONC 50;:SOUR:WAT:CONC?;:SYST:ERR?;ERR?");
    const std::string w = std::to_string(Core().State.Request.w);
    const std::string told = "Water: at 150 ppm of gas A the bubbler can give no less than " + w + " ppm";
    EXPECT_GT(Core().State.Request.w, 50);
    EXPECT_EQ(reply, w + ";102,\"" + told + "\";0,\"No error\"\n");
    EXPECT_TRUE(Host.Debug.contains(QString::fromStdString(told))
                && !Host.Messages.contains(QString::fromStdString(told)))
        << "told on the Debug page, no box in the window";
    EXPECT_TRUE(Host.Debug.contains("Remote 127.0.0.1:4242: SOUR:GASA:CONC 150"));

    EXPECT_EQ(Say("SOUR:WAT:CONC 7300;:MIX:STAT DIL;STAT?;METH?"), "Dilution;\"A (pulse) in B/H2O\"\n");
    RunFor(20);
    const double ppmA = std::stod(Say("MEAS:GASA:CONC?"));
    EXPECT_NEAR(ppmA, 150.0, 15.0);
    EXPECT_GT(std::stod(Say("MEAS:GASB:FLOW?")), 0.0);

    // A mark is a row of its own, its text made safe for the log's file.
    const int rows = std::stoi(Say("LOG:ROWS?"));
    EXPECT_EQ(Say("LOG:MARK 'run 1; sensor \"B\"';:LOG:ROWS?"), std::to_string(rows + 1) + "\n");
    EXPECT_EQ(Host.LastRow.Mode, "Mark");
    EXPECT_EQ(Host.LastRow.Method, "run 1, sensor \"B\"");

    // A program is built by the client and run by the core.
    EXPECT_EQ(Say("PROG:CLE;STEP:ADD 200,0,0.5,0;ADD 300,0,0,0;:PROG:STEP:COUN?;:SYST:ERR?"),
              "1;-222,\"Data out of range;minutes above 0, at most ten days: ADD 300,0,0,0\"\n");
    EXPECT_EQ(Say("PROG:STAR;STAT?"), "RUN,1,1,30\n");
    EXPECT_EQ(Say("PROG:STOP;STAT?;:MIX:STAT?"), "IDLE;Standby\n");
}

TEST_F(RemoteRig, AnAlarmRefusesWhatItRefusesTheOperatorAndStaysThroughRst)
{
    SetUpTheRig();
    Say("MIX:STAT BYP");
    Rig.scheduleFault(TRigFault::RelaySilent, Rig.secondsSinceStart());
    RunFor(5);
    ASSERT_TRUE(Core().Mixer.Alarm());
    const int messages = Host.Messages.size();
    EXPECT_EQ(Say("MIX:STAT DIL;:SYST:ERR?"),
              "-221,\"Settings conflict;Acknowledge the alarm before Flush, Bypass or Dilution\"\n");
    EXPECT_EQ(Say("PROG:STEP:ADD 100,0,1,0;:PROG:STAR;:SYST:ERR?"),
              "-221,\"Settings conflict;Acknowledge the alarm before starting a program\"\n");
    EXPECT_EQ(Host.Messages.size(), messages) << "a refusal to a client raises no box in the window";
    EXPECT_EQ(Say("*RST;:MIX:STAT?;:ALAR?"), "Standby;\"" + Core().Mixer.Alarm()->Cause + "\"\n");
    EXPECT_EQ(Say("ALAR:ACK;:ALAR?"), "\"\"\n");
}

TEST_F(RemoteRig, APlanThePulsesCannotDeliverIsRefusedBeforeAnyGasFlows)
{
    // A controller of gas A far too large for 150 ppm.
    for (const auto& [address, max] : {std::pair{1, 6.0f}, std::pair{2, 0.25f}}) {
        MfcGasTable table = *Rig.mfc.gasTable(address, GasTableNumber(0));
        table.FullScale = max;
        table.DynamicRange = 50;
        Rig.mfc.setGasTable(address, table);
    }
    SetUpTheRig();
    const std::string refused = "-221,\"Settings conflict;Not deliverable with these controllers: gas A in pulses of";
    EXPECT_EQ(Say("SOUR:GASA:CONC 150;:MIX:STAT DIL;STAT?;:SYST:ERR?").rfind("Standby;" + refused, 0), 0u);
    EXPECT_EQ(Say("PROG:STEP:ADD 150,0,1,0;:PROG:STAR;STAT?;:SYST:ERR?").rfind("IDLE;" + refused, 0), 0u);
}

TEST_F(RemoteRig, JunkAndOverlongLinesAreErrorsAndTheNextLineIsServed)
{
    Session->Receive(std::string(5000, 'x') + "\n");
    EXPECT_EQ(Say(std::string("\x00\xff\xfe", 3) + "\n*IDN?"), "Dilutra,dilutra,0," DILUTRA_TEST_VERSION "\n");
    EXPECT_EQ(Say("SYST:ERR?;ERR?;ERR?"),
              "-363,\"Input buffer overrun\";-102,\"Syntax error;a header is made of letters and digits, ':' between "
              "its nodes\";0,\"No error\"\n");
}

TEST_F(RemoteRig, TheServerTakesFourClientsAndOnesJunkOrLeavingTouchesNoOther)
{
    TRemoteServer server(*Service);
    ASSERT_TRUE(server.Listen({QHostAddress(QHostAddress::LocalHost), 0}));
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < 5; ++i) {
        clients.push_back(std::make_unique<QTcpSocket>());
        clients.back()->connectToHost(QHostAddress(QHostAddress::LocalHost), server.Where().Port);
    }
    ASSERT_TRUE(RunUntil([&] { return clients[4]->state() == QAbstractSocket::UnconnectedState; }, 30000))
        << "a fifth client is turned away";
    ASSERT_TRUE(RunUntil([&] { return server.Peers().size() == 4; }, 30000));
    EXPECT_EQ(server.StatusLine(), "Remote: 4 client(s) from 127.0.0.1");

    // One client floods with junk and a line without end, then goes.
    clients[0]->write(QByteArray(20000, '\xfe') + "\nSOUR:GASA:CONC 999;" + QByteArray(9000, 'x'));
    clients[1]->write("SOUR:GASA:CONC?;:SYST:ERR?\n");
    ASSERT_TRUE(RunUntil([&] { return clients[1]->canReadLine(); }, 30000));
    EXPECT_EQ(clients[1]->readLine(), "150;0,\"No error\"\n");
    clients[0]->abort();
    ASSERT_TRUE(RunUntil([&] { return server.Peers().size() == 3; }, 30000));
    clients[2]->write("*IDN?\n");
    ASSERT_TRUE(RunUntil([&] { return clients[2]->canReadLine(); }, 30000));
    EXPECT_TRUE(clients[2]->readLine().startsWith("Dilutra,"));
    EXPECT_EQ(Core().State.Request.a, 150) << "the unset-up rig took no mixture";
}
