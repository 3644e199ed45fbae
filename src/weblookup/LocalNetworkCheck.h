#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

namespace quelto::weblookup {

// The promise that a page on the open network never reaches the machine or
// its local network, kept by the address a name resolves to: a public name
// that resolves to 127.0.0.1 (a wildcard DNS service, a rebinding site) is as
// local as 127.0.0.1 itself.
namespace LocalNetworkCheck {

// A loopback, private, link-local, unique-local, shared, unspecified or
// multicast address, IPv4 or IPv6, also an IPv4 one in IPv6 forms.
bool isLocal(const QHostAddress& address);

// host is local by its name or by one of its addresses (a name that does not
// resolve here is not; the program's proxy refuses to connect to it). Waits
// for the resolver.
bool reachesLocalNow(const QString& host);

// Whether a page at from may fetch to: always when from is on the local
// network by its name (the sample site, a saved page served locally), never
// when to resolves to a local address. answer is called on context's thread.
void mayFetch(const QUrl& from, const QUrl& to, QObject* context, std::function<void(bool)> answer);

} // namespace LocalNetworkCheck
} // namespace quelto::weblookup
