// Remote control from the window: the SCPI command server on the window's
// mixer service, switched by the Setup page's check box (or --remote), and
// the line on the Operation page that says who is connected.
#include "form1.h"

#include "fonts.h"
#include "mixer_core.h"
#include "remote_server.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>

void TForm1::BuildRemote()
{
    CheckBoxRemote = new QCheckBox(Setup);
    CheckBoxRemote->setObjectName(QStringLiteral("CheckBoxRemote"));
    CheckBoxRemote->setFont(UiFont());
    CheckBoxRemote->move(GroupBox5->x() + 16, GroupBox5->geometry().bottom() + 8);
    CheckBoxRemote->setToolTip(QStringLiteral("Lets scripts drive the mixer with SCPI commands over TCP"));
    LabelRemote = new QLabel(GroupBox8);
    LabelRemote->setObjectName(QStringLiteral("LabelRemote"));
    LabelRemote->setFont(UiFont());
    LabelRemote->setGeometry(14, ButtonDilution->geometry().bottom() + 7, GroupBox8->width() - 20, 20);
    LabelRemote->hide();
    RemoteAddress_ = DefaultListenAddress();
    ShowRemote();
    connect(CheckBoxRemote, &QCheckBox::toggled, this, [this](bool on) {
        Guarded([&] {
            if (on)
                StartRemote(RemoteAddress_);
            else
                StopRemote();
        });
    });
}

void TForm1::StartRemote(const TListenAddress& where)
{
    RemoteAddress_ = where;
    if (!Remote_) {
        Remote_ = std::make_unique<TRemoteServer>(*Service_);
        connect(Remote_.get(), &TRemoteServer::ClientEvent, this, [this](const QString& line) {
            AddMemoLine(MemoDevFeedback, QStringLiteral("Remote control: ") + line);
        });
        connect(Remote_.get(), &TRemoteServer::ClientsChanged, this, [this] { ShowRemote(); });
    }
    const bool listening = Remote_->Listen(where);
    ShowRemote();
    if (!listening) {
        ShowError(Remote_->ErrorText());
        return;
    }
    // The Debug page and the log say where scripts may drive the mixer from.
    const QString line = QStringLiteral("Remote control listening on ") + ListenAddressText(Remote_->Where());
    AddMemoLine(MemoDevFeedback, line);
    Service_->Post([text = line.toLocal8Bit().toStdString()](TMixerCore& c) { c.Mixer.MarkLog(text); });
}

void TForm1::StopRemote()
{
    if (!Remote_ || !Remote_->Listening())
        return;
    Remote_->Close();
    AddMemoLine(MemoDevFeedback, QStringLiteral("Remote control stopped"));
    ShowRemote();
}

void TForm1::ShowRemote()
{
    const bool listening = Remote_ && Remote_->Listening();
    const QSignalBlocker quiet(CheckBoxRemote);
    CheckBoxRemote->setChecked(listening);
    // Where it listens, with the port the system picked for port 0.
    const TListenAddress where = listening ? Remote_->Where() : RemoteAddress_;
    CheckBoxRemote->setText(QStringLiteral("Remote control (SCPI on %1)").arg(ListenAddressText(where)));
    CheckBoxRemote->adjustSize();
    LabelRemote->setText(listening ? Remote_->StatusLine() : QString());
    LabelRemote->setVisible(listening);
}
