#include "remote_server.h"

#include "remote_session.h"
#include "remote_view.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace {

// Unread bytes Qt keeps for a connection before it stops taking more from
// the system (which then holds the client back), and replies not yet sent
// before a client that does not read them is not read either.
constexpr qint64 ReadBufferBytes = 64 * 1024;
constexpr qint64 UnsentBytesMax = 1024 * 1024;
constexpr qint64 ReadChunk = 1024;

QString PeerText(const QTcpSocket& socket)
{
    QHostAddress address = socket.peerAddress();
    bool v4 = false;
    const quint32 ip4 = address.toIPv4Address(&v4);
    if (v4)
        address = QHostAddress(ip4);
    return ListenAddressText({address, socket.peerPort()});
}

}  // namespace

struct TRemoteServer::TClient {
    QTcpSocket* Socket = nullptr;
    std::shared_ptr<TRemoteSession> Session;
    QString Peer;
    bool Reading = false;
    bool Gone = false;
};

TRemoteServer::TRemoteServer(TMixerService& service, QObject* parent)
    : QObject(parent)
    , service_(service)
    , view_(ObserveForRemote(service))
    , server_(new QTcpServer(this))
{
    connect(server_, &QTcpServer::newConnection, this, &TRemoteServer::Accept);
}

TRemoteServer::~TRemoteServer()
{
    Close();
}

bool TRemoteServer::Listen(const TListenAddress& where)
{
    Close();
    error_.clear();
    if (server_->listen(where.Address, where.Port))
        return true;
    error_ = QStringLiteral("cannot listen on %1: %2").arg(ListenAddressText(where), server_->errorString());
    return false;
}

void TRemoteServer::Close()
{
    const bool hadClients = !clients_.empty();
    for (TClient& client : clients_) {
        client.Session->Detach();
        client.Socket->disconnect(this);
        client.Socket->abort();
        client.Socket->deleteLater();
    }
    clients_.clear();
    server_->close();
    if (hadClients)
        emit ClientsChanged();
}

bool TRemoteServer::Listening() const
{
    return server_->isListening();
}

TListenAddress TRemoteServer::Where() const
{
    return {server_->serverAddress(), server_->serverPort()};
}

QStringList TRemoteServer::Peers() const
{
    QStringList peers;
    for (const TClient& client : clients_) {
        if (!client.Gone)
            peers << client.Peer;
    }
    return peers;
}

QString TRemoteServer::StatusLine() const
{
    if (!Listening())
        return {};
    const QStringList peers = Peers();
    if (peers.isEmpty())
        return QStringLiteral("Remote: listening on %1, no client").arg(ListenAddressText(Where()));
    QStringList hosts;
    for (const QString& peer : peers) {
        const QString host = peer.left(peer.lastIndexOf(QLatin1Char(':')));
        if (!hosts.contains(host))
            hosts << host;
    }
    return QStringLiteral("Remote: %1 client(s) from %2").arg(peers.size()).arg(hosts.join(QStringLiteral(", ")));
}

void TRemoteServer::Accept()
{
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        const QString peer = PeerText(*socket);
        if (Peers().size() >= MaxClients) {
            emit ClientEvent(QStringLiteral("client %1 refused: %2 clients are connected").arg(peer).arg(MaxClients));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setReadBufferSize(ReadBufferBytes);
        TClient& client = clients_.emplace_back();
        client.Socket = socket;
        client.Peer = peer;
        client.Session
            = std::make_shared<TRemoteSession>(service_, view_, peer.toStdString(), [socket](const std::string& reply) {
                  // Out at once: a client that has sent its last line and
                  // closed its side still gets what was answered.
                  socket->write(reply.data(), static_cast<qint64>(reply.size()));
                  socket->flush();
              });
        TClient* c = &client;
        client.Session->OnReady = [this, c] { Read(*c); };
        connect(socket, &QTcpSocket::readyRead, this, [this, c] { Read(*c); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, c] { Read(*c); });
        connect(socket, &QTcpSocket::disconnected, this, [this, c] { Drop(*c); });
        emit ClientEvent(
            QStringLiteral("client %1 connected (%2 of %3)").arg(peer).arg(Peers().size()).arg(MaxClients));
        emit ClientsChanged();
        // What arrived with the connection.
        Read(client);
    }
}

void TRemoteServer::Read(TClient& client)
{
    if (client.Gone || client.Reading)
        return;
    client.Reading = true;
    while (!client.Gone && !client.Session->Busy() && client.Socket->bytesToWrite() < UnsentBytesMax
           && client.Socket->bytesAvailable() > 0) {
        const QByteArray bytes = client.Socket->read(ReadChunk);
        client.Session->Receive(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    client.Reading = false;
}

void TRemoteServer::Drop(TClient& client)
{
    if (client.Gone)
        return;
    client.Gone = true;
    client.Session->Detach();
    client.Socket->disconnect(this);
    client.Socket->deleteLater();
    emit ClientEvent(QStringLiteral("client %1 disconnected").arg(client.Peer));
    // The client is forgotten once whatever is running now has returned.
    QMetaObject::invokeMethod(
        this,
        [this] {
            clients_.remove_if([](const TClient& c) { return c.Gone; });
            emit ClientsChanged();
        },
        Qt::QueuedConnection);
}
