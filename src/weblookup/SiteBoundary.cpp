#include "weblookup/SiteBoundary.h"

#include <QStringList>
#include <array>
#include <vector>
#include <optional>

namespace quelto::weblookup::SiteBoundary {
namespace {

bool isWeb(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

int portOf(const QUrl& url)
{
    return url.port(url.scheme().toLower() == u"https" ? 443 : 80);
}

// A dotted IPv4 address ("127.0.0.1"); nothing for any other text.
std::optional<quint32> ipv4(QStringView text)
{
    const QList<QStringView> parts = text.split(u'.');
    if (parts.size() != 4)
        return std::nullopt;
    quint32 address = 0;
    for (QStringView part : parts) {
        bool ok = false;
        const uint n = part.toUInt(&ok, 10);
        if (!ok || n > 255 || part.isEmpty() || part.size() > 3)
            return std::nullopt;
        address = (address << 8) | n;
    }
    return address;
}

// An IPv6 address ("::1", "fe80::1", "::ffff:127.0.0.1") as 16 bytes.
std::optional<std::array<quint8, 16>> ipv6(QStringView text)
{
    if (!text.contains(u':') || text.size() > 45)
        return std::nullopt;
    const qsizetype gap = text.indexOf(QLatin1String("::"));
    if (gap >= 0 && text.indexOf(QLatin1String("::"), gap + 1) >= 0)
        return std::nullopt;
    auto groups = [](QStringView part, std::vector<quint16>& out) {
        if (part.isEmpty())
            return true;
        for (QStringView g : part.split(u':')) {
            if (g.contains(u'.')) {
                const std::optional<quint32> v4 = ipv4(g);
                if (!v4)
                    return false;
                out.push_back(quint16(*v4 >> 16));
                out.push_back(quint16(*v4 & 0xFFFF));
                continue;
            }
            bool ok = false;
            const uint n = g.toUInt(&ok, 16);
            if (!ok || g.isEmpty() || g.size() > 4)
                return false;
            out.push_back(quint16(n));
        }
        return true;
    };
    std::vector<quint16> head, tail;
    if (gap >= 0) {
        if (!groups(text.left(gap), head) || !groups(text.mid(gap + 2), tail) || head.size() + tail.size() > 7)
            return std::nullopt;
    } else if (!groups(text, head) || head.size() != 8) {
        return std::nullopt;
    }
    std::vector<quint16> all = head;
    all.resize(8 - tail.size(), 0);
    all.insert(all.end(), tail.begin(), tail.end());
    std::array<quint8, 16> bytes{};
    for (size_t i = 0; i < 8; ++i) {
        bytes[2 * i] = quint8(all[i] >> 8);
        bytes[2 * i + 1] = quint8(all[i] & 0xFF);
    }
    return bytes;
}

bool isLocalIpv4(quint32 v4)
{
    const auto in = [v4](quint32 net, int bits) { return (v4 >> (32 - bits)) == (net >> (32 - bits)); };
    return in(0x00000000, 8)      // 0.0.0.0/8 "this network"
           || in(0x0A000000, 8)   // 10/8
           || in(0x7F000000, 8)   // 127/8
           || in(0x64400000, 10)  // 100.64/10, shared address space
           || in(0xA9FE0000, 16)  // 169.254/16, link-local
           || in(0xAC100000, 12)  // 172.16/12
           || in(0xC0A80000, 16)  // 192.168/16
           || in(0xC0000000, 24)  // 192.0.0/24
           || in(0xC6120000, 15)  // 198.18/15, benchmarking
           || v4 >= 0xE0000000;   // multicast, reserved, broadcast
}

bool isLocalIpv6(const std::array<quint8, 16>& b)
{
    bool zeroTo10 = true;
    for (int i = 0; i < 10; ++i)
        zeroTo10 = zeroTo10 && b[size_t(i)] == 0;
    if (zeroTo10 && ((b[10] == 0xFF && b[11] == 0xFF) || (b[10] == 0 && b[11] == 0))) {
        // ::ffff:a.b.c.d and ::a.b.c.d carry an IPv4 address; :: and ::1 are local.
        const quint32 v4 = quint32(b[12]) << 24 | quint32(b[13]) << 16 | quint32(b[14]) << 8 | b[15];
        return isLocalIpv4(v4) || (b[10] == 0 && v4 <= 1);
    }
    const auto embedded = [&b](size_t at) {
        return quint32(b[at]) << 24 | quint32(b[at + 1]) << 16 | quint32(b[at + 2]) << 8 | b[at + 3];
    };
    bool nat64 = b[0] == 0 && b[1] == 0x64 && b[2] == 0xFF && b[3] == 0x9B;
    for (size_t i = 4; i < 12; ++i)
        nat64 = nat64 && b[i] == 0;
    if (nat64) // 64:ff9b::a.b.c.d, translated to IPv4
        return isLocalIpv4(embedded(12));
    if (b[0] == 0x20 && b[1] == 0x02 && isLocalIpv4(embedded(2))) // 2002:a.b.c.d::/48, 6to4
        return true;
    return (b[0] & 0xFE) == 0xFC                     // fc00::/7, unique local
           || (b[0] == 0xFE && (b[1] & 0xC0) == 0x80) // fe80::/10, link-local
           || (b[0] == 0xFE && (b[1] & 0xC0) == 0xC0) // fec0::/10, site-local
           || b[0] == 0xFF;                           // multicast
}

bool isAddress(const QString& host)
{
    return ipv4(host).has_value() || ipv6(host).has_value();
}

} // namespace

QString siteHost(const QString& host)
{
    QString h = host.toLower();
    while (h.endsWith(u'.'))
        h.chop(1);
    if (isAddress(h))
        return h;
    if (h.startsWith(QLatin1String("www.")) && h.count(u'.') >= 2)
        h.remove(0, 4);
    for (const QLatin1String mobile : {QLatin1String("m."), QLatin1String("mobile.")}) {
        if (h.startsWith(mobile) && h.count(u'.') >= 2)
            h.remove(0, mobile.size());
        else if (const qsizetype at = h.indexOf(QLatin1Char('.') + mobile); at > 0 && h.count(u'.') >= 3)
            h.remove(at + 1, mobile.size());
    }
    return h;
}

bool sameSite(const QUrl& from, const QUrl& to)
{
    if (!isWeb(from) || !isWeb(to))
        return false;
    if (siteHost(from.host()) != siteHost(to.host()))
        return false;
    const QString fromScheme = from.scheme().toLower();
    const QString toScheme = to.scheme().toLower();
    if (fromScheme == toScheme)
        return portOf(from) == portOf(to);
    if (fromScheme == u"http" && toScheme == u"https")
        return from.port() < 0 && to.port(443) == 443;
    return false;
}

bool isLocalHost(const QString& host)
{
    QString h = host.toLower();
    while (h.endsWith(u'.'))
        h.chop(1);
    if (h.startsWith(u'[') && h.endsWith(u']'))
        h = h.mid(1, h.size() - 2);
    if (const std::optional<quint32> v4 = ipv4(h))
        return isLocalIpv4(*v4);
    if (const std::optional<std::array<quint8, 16>> v6 = ipv6(h))
        return isLocalIpv6(*v6);
    if (h.isEmpty() || !h.contains(u'.'))
        return true;
    for (const char* local : {".localhost", ".local", ".lan", ".internal", ".home.arpa", ".localdomain"}) {
        if (h.endsWith(QLatin1String(local)))
            return true;
    }
    // An IPv4 address written another way ("2130706433", "0x7f.1") is no
    // public page's address either.
    bool allNumeric = true;
    for (const QString& part : h.split(u'.')) {
        bool ok = false;
        part.toUInt(&ok, 0);
        allNumeric = allNumeric && ok;
    }
    return allNumeric;
}

bool mayFollow(const QUrl& from, const QUrl& to)
{
    if (!sameSite(from, to))
        return false;
    return isLocalHost(from.host()) || !isLocalHost(to.host());
}

QString shown(const QUrl& url)
{
    return url.port() < 0 ? url.host() : QStringLiteral("%1:%2").arg(url.host()).arg(url.port());
}

} // namespace quelto::weblookup::SiteBoundary
