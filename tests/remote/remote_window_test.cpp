// Remote control from the window: the check box's server drives the
// window's own mixer service, the Operation page says who is connected, and
// the Debug page and the log say what they did.
#include "clock.h"
#include "form1.h"
#include "log_table_model.h"
#include "recording_dialogs.h"
#include "remote_server.h"
#include "run_until.h"
#include "serial_lines.h"
#include "simulated_rig.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTcpSocket>

TEST(RemoteWindow, TheCheckBoxServesTheWindowsMixerAndThePagesSayWhoAndWhat)
{
    FakeClock clock;
    RecordingDialogs dialogs;
    SimulatedRig rig(clock);
    RegisteredSerialLines lines;
    rig.registerOn(lines);
    TForm1 form({clock, dialogs, lines});
    form.StartRemote({QHostAddress(QHostAddress::LocalHost), 0});
    ASSERT_TRUE(form.CheckBoxRemote->isChecked());
    const QString where = ListenAddressText(form.Remote()->Where());
    EXPECT_TRUE(form.MemoDevFeedback->toPlainText().contains("Remote control listening on " + where));
    EXPECT_EQ(form.LogTable->CellText(0, 1), "Mark");

    QTcpSocket client;
    client.connectToHost(QHostAddress(QHostAddress::LocalHost), form.Remote()->Where().Port);
    ASSERT_TRUE(RunUntil([&] { return form.LabelRemote->text() == "Remote: 1 client(s) from 127.0.0.1"; }, 30000));
    client.write("LOG:MARK 'sensor in';:LOG:ROWS?;:MIX:STAT DIL;:SYST:ERR?\n");
    ASSERT_TRUE(RunUntil([&] { return client.canReadLine(); }, 30000));
    EXPECT_EQ(client.readLine(), "2;-221,\"Settings conflict;Validate the equipment and select the gases first\"\n");
    EXPECT_EQ(form.LogTable->CellText(1, 2), "sensor in");
    const QString peer = "127.0.0.1:" + QString::number(client.localPort());
    EXPECT_TRUE(form.MemoDevFeedback->toPlainText().contains("Remote " + peer + ": LOG:MARK 'sensor in'"));
    EXPECT_TRUE(dialogs.Messages.isEmpty()) << "a refusal to a client raises no box";

    form.CheckBoxRemote->setChecked(false);
    EXPECT_TRUE(form.LabelRemote->isHidden());
    EXPECT_TRUE(RunUntil([&] { return client.state() == QAbstractSocket::UnconnectedState; }, 30000));
}
