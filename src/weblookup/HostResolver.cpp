#include "weblookup/HostResolver.h"

#include <QDateTime>
#include <QHash>
#include <QHostInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>

namespace quelto::weblookup {
namespace {

struct Resolver
{
    QMutex mutex;
    HostResolver::Table table;
    struct Answer
    {
        QList<QHostAddress> addresses;
        qint64 until = 0;
    };
    QHash<QString, Answer> recent;
};

Resolver& resolver()
{
    static Resolver instance;
    return instance;
}

constexpr qint64 KeptMs = 60 * 1000;

// "[::1]" and "127.0.0.1" are addresses already; nothing for a name.
std::optional<QHostAddress> literal(const QString& host)
{
    QString h = host;
    if (h.startsWith(u'[') && h.endsWith(u']'))
        h = h.mid(1, h.size() - 2);
    QHostAddress address;
    if (address.setAddress(h))
        return address;
    return std::nullopt;
}

} // namespace

void HostResolver::replace(Table table)
{
    Resolver& r = resolver();
    QMutexLocker lock(&r.mutex);
    r.table = std::move(table);
    r.recent.clear();
}

void HostResolver::lookUp(const QString& host, QObject* context,
                          std::function<void(const QList<QHostAddress>&)> answer)
{
    if (const std::optional<QHostAddress> address = literal(host)) {
        QMetaObject::invokeMethod(
            context, [answer, a = *address] { answer({a}); }, Qt::QueuedConnection);
        return;
    }
    Table table;
    {
        Resolver& r = resolver();
        QMutexLocker lock(&r.mutex);
        table = r.table;
    }
    if (table) {
        QMetaObject::invokeMethod(
            context, [answer, addresses = table(host)] { answer(addresses); }, Qt::QueuedConnection);
        return;
    }
    QHostInfo::lookupHost(host, context, [answer](const QHostInfo& info) {
        answer(info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>());
    });
}

QList<QHostAddress> HostResolver::addressesNow(const QString& host)
{
    if (const std::optional<QHostAddress> address = literal(host))
        return {*address};
    const QString key = host.toLower();
    Resolver& r = resolver();
    Table table;
    {
        QMutexLocker lock(&r.mutex);
        const auto found = r.recent.constFind(key);
        if (found != r.recent.cend() && found->until > QDateTime::currentMSecsSinceEpoch())
            return found->addresses;
        table = r.table;
    }
    QList<QHostAddress> addresses;
    if (table) {
        addresses = table(host);
    } else {
        const QHostInfo info = QHostInfo::fromName(host);
        if (info.error() == QHostInfo::NoError)
            addresses = info.addresses();
    }
    QMutexLocker lock(&r.mutex);
    if (r.recent.size() > 500)
        r.recent.clear();
    r.recent.insert(key, {addresses, QDateTime::currentMSecsSinceEpoch() + KeptMs});
    return addresses;
}

} // namespace quelto::weblookup
