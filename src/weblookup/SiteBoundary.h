#pragma once

#include <QString>
#include <QUrl>

namespace quelto::weblookup {

// Which pages a lookup may read once it has a title page. It stays on the
// title page's own site: the same host, its "www." and "m." forms, and the
// same scheme or http to https; a page on the open network never leads to a
// loopback or private address. Nothing read from one site is thus sent in an
// address to another.
namespace SiteBoundary {

// The host as the site boundary compares it: lower case, without a leading
// "www." and without the mobile label ("en.m.wikipedia.org" and
// "www.imdb.com" give "en.wikipedia.org" and "imdb.com").
QString siteHost(const QString& host);

// to is a page of from's site: http or https, the same site host, the same
// port (the scheme's own counts as the same when going from http to https),
// and never from https back to http.
bool sameSite(const QUrl& from, const QUrl& to);

// A host on the machine or its local network: a loopback, private,
// link-local, shared or unspecified address (IPv4 and IPv6), "localhost"
// and names under it, names without a dot, and the local-only domains
// (".local", ".lan", ".internal", ".home.arpa").
bool isLocalHost(const QString& host);

// Whether a lookup that began at from may read to: the same site, and not a
// local address when from is not local.
bool mayFollow(const QUrl& from, const QUrl& to);

// "www.example.org" for messages: the host, with its port when it has one.
QString shown(const QUrl& url);

} // namespace SiteBoundary
} // namespace quelto::weblookup
