#pragma once

#include <QHostAddress>
#include <QString>

#include <optional>

// Where the command server listens: an address of this computer and a port
// (0: the system picks one).
struct TListenAddress {
    QHostAddress Address = QHostAddress(QHostAddress::LocalHost);
    quint16 Port = 5025;
};

// The default: this computer only, SCPI's raw socket port.
inline TListenAddress DefaultListenAddress()
{
    return {};
}

// Reads "ADDR:PORT": an IPv4 address, an IPv6 address in brackets
// ("[::1]:5025"), or "localhost"; PORT from 0 to 65535. Nothing for
// anything else (no name is looked up).
std::optional<TListenAddress> ParseListenAddress(const QString& text);
// "127.0.0.1:5025", "[::1]:5025".
QString ListenAddressText(const TListenAddress& where);
