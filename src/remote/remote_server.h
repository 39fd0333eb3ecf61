#pragma once

#include "listen_address.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <list>
#include <memory>

class QTcpServer;
class QTcpSocket;
class TMixerService;
class TRemoteSession;
class TRemoteView;

// The SCPI command server: a client of the mixer service like the window,
// on the thread that owns the service (the window's, or the headless
// server's own), never on the rig's. Each connection is a session of its
// own (its error queue, its program); at most MaxClients at a time, a
// further one is closed at once. A client that goes away mid-command, sends
// junk or floods changes nothing for the others.
class TRemoteServer : public QObject {
    Q_OBJECT

public:
    static constexpr int MaxClients = 4;

    explicit TRemoteServer(TMixerService& service, QObject* parent = nullptr);
    ~TRemoteServer() override;

    // Starts listening; false (and ErrorText says why) when it cannot.
    bool Listen(const TListenAddress& where);
    // Every client disconnected, no more listening.
    void Close();

    bool Listening() const;
    // Where it listens, with the port the system picked for port 0.
    TListenAddress Where() const;
    QString ErrorText() const { return error_; }
    // The clients connected now, "ADDR:PORT" each.
    QStringList Peers() const;
    // "Remote: 2 client(s) from 127.0.0.1, 10.0.0.7", or where it listens
    // while nobody is connected; "" when it does not listen.
    QString StatusLine() const;

signals:
    // A client came, went or was turned away; `line` says which, for a
    // console or the Debug page.
    void ClientEvent(const QString& line);
    // The clients connected changed.
    void ClientsChanged();

private:
    struct TClient;
    void Accept();
    void Read(TClient& client);
    void Drop(TClient& client);

    TMixerService& service_;
    std::shared_ptr<TRemoteView> view_;
    QTcpServer* server_;
    std::list<TClient> clients_;
    QString error_;
};
