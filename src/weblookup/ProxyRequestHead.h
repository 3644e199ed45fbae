#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace quelto::weblookup {

// The head of a request sent to the program's own proxy: a tunnel
// ("CONNECT host:port") or a plain web request in absolute form
// ("GET http://host:port/path"), with its header lines.
struct ProxyRequestHead
{
    // Longest head taken; a longer one is refused.
    static constexpr int MaxBytes = 64 * 1024;

    QByteArray method;
    QString host; // without brackets for an IPv6 address
    quint16 port = 0;
    QByteArray target;  // as sent: "host:port" or "http://host:port/path"
    QByteArray path;    // origin form ("/path?query") of a plain request
    QByteArray version; // "HTTP/1.1"
    QList<QByteArray> headers; // "Name: value", as sent
    QByteArray credentials;    // the Proxy-Authorization value

    bool isTunnel() const { return method == "CONNECT"; }

    // The head at the start of data, up to its blank line, whose length goes
    // to *headBytes (0 while data ends before the blank line); nullopt when
    // it is incomplete or no head the proxy serves.
    static std::optional<ProxyRequestHead> parse(const QByteArray& data, int* headBytes);

    // The plain request as the site is sent it: in origin form, without the
    // proxy's headers, asking the site to close the connection after its
    // answer, so that one connection carries one request to one host.
    QByteArray forSite() const;
    // The request as the user's own proxy is sent it: as it came, without
    // this proxy's password, and for one request only as well.
    QByteArray forProxy() const;

private:
    QByteArray withoutHopHeaders(const QByteArray& requestLine) const;
};

} // namespace quelto::weblookup
