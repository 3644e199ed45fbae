#include "weblookup/ProxyRequestHead.h"

#include <QUrl>

namespace quelto::weblookup {
namespace {

QByteArray headerName(const QByteArray& line)
{
    const int colon = line.indexOf(':');
    return colon < 0 ? QByteArray() : line.left(colon).trimmed().toLower();
}

// Whether host:port names a host and a port, filling both.
bool splitAuthority(const QByteArray& authority, QString* host, quint16* port, quint16 defaultPort)
{
    if (authority.isEmpty() || authority.contains('@') || authority.contains('/'))
        return false;
    const QUrl url(QStringLiteral("http://") + QString::fromLatin1(authority));
    if (!url.isValid() || url.host().isEmpty())
        return false;
    *host = url.host();
    const int p = url.port(defaultPort);
    if (p <= 0 || p > 65535)
        return false;
    *port = quint16(p);
    return true;
}

} // namespace

std::optional<ProxyRequestHead> ProxyRequestHead::parse(const QByteArray& data, int* headBytes)
{
    *headBytes = 0;
    const int end = data.indexOf("\r\n\r\n");
    if (end < 0)
        return std::nullopt;
    *headBytes = end + 4;
    const QList<QByteArray> lines = data.left(end).split('\n');
    const QList<QByteArray> first = lines.first().trimmed().split(' ');
    if (first.size() != 3 || !first[2].startsWith("HTTP/1."))
        return std::nullopt;
    ProxyRequestHead head;
    head.method = first[0];
    head.version = first[2];
    const QByteArray& target = first[1];
    head.target = target;
    if (head.isTunnel()) {
        if (!splitAuthority(target, &head.host, &head.port, 0))
            return std::nullopt;
    } else {
        // Only plain web addresses come here: https and WebSockets tunnel.
        if (!target.toLower().startsWith("http://"))
            return std::nullopt;
        const int slash = target.indexOf('/', 7);
        if (!splitAuthority(target.mid(7, slash < 0 ? -1 : slash - 7), &head.host, &head.port, 80))
            return std::nullopt;
        head.path = slash < 0 ? QByteArray("/") : target.mid(slash);
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty() || line.indexOf(':') <= 0)
            return std::nullopt;
        if (headerName(line) == "proxy-authorization")
            head.credentials = line.mid(line.indexOf(':') + 1).trimmed();
        head.headers << line;
    }
    return head;
}

QByteArray ProxyRequestHead::forSite() const { return withoutHopHeaders(method + ' ' + path + ' ' + version); }

QByteArray ProxyRequestHead::forProxy() const
{
    return withoutHopHeaders(method + ' ' + target + ' ' + version);
}

QByteArray ProxyRequestHead::withoutHopHeaders(const QByteArray& requestLine) const
{
    // The headers named in Connection are the proxy's, as are these.
    QList<QByteArray> hopByHop{"connection", "proxy-connection", "keep-alive", "proxy-authorization", "te",
                               "trailer", "upgrade"};
    for (const QByteArray& line : headers) {
        if (headerName(line) == "connection" || headerName(line) == "proxy-connection") {
            for (const QByteArray& named : line.mid(line.indexOf(':') + 1).split(','))
                hopByHop << named.trimmed().toLower();
        }
    }
    QByteArray out = requestLine + "\r\n";
    for (const QByteArray& line : headers) {
        if (!hopByHop.contains(headerName(line)))
            out += line + "\r\n";
    }
    if (!isTunnel())
        out += "Connection: close\r\n";
    return out + "\r\n";
}

} // namespace quelto::weblookup
