#include "listen_address.h"

std::optional<TListenAddress> ParseListenAddress(const QString& text)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return std::nullopt;
    QString host = text.left(colon);
    const QString port = text.mid(colon + 1);
    bool whole = !port.isEmpty();
    for (QChar c : port)
        whole = whole && c.isDigit() && c.unicode() < 0x80;
    const uint number = whole && port.size() <= 5 ? port.toUInt() : 65536u;
    if (number > 65535u)
        return std::nullopt;

    TListenAddress where;
    where.Port = static_cast<quint16>(number);
    if (host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0)
        return where;
    const bool bracketed = host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'));
    if (bracketed)
        host = host.mid(1, host.size() - 2);
    QHostAddress address;
    if (!address.setAddress(host))
        return std::nullopt;
    // An IPv6 address goes in brackets, an IPv4 one does not.
    if ((address.protocol() == QAbstractSocket::IPv6Protocol) != bracketed)
        return std::nullopt;
    where.Address = address;
    return where;
}

QString ListenAddressText(const TListenAddress& where)
{
    const QString host = where.Address.protocol() == QAbstractSocket::IPv6Protocol
        ? QStringLiteral("[%1]").arg(where.Address.toString())
        : where.Address.toString();
    return host + QLatin1Char(':') + QString::number(where.Port);
}
