#include "weblookup/LocalNetworkCheck.h"

#include "weblookup/HostResolver.h"
#include "weblookup/SiteBoundary.h"

namespace quelto::weblookup::LocalNetworkCheck {
namespace {

// A name that does not resolve here gives nothing to judge it by: the
// program's proxy, which resolves once more to connect, refuses it.
bool anyLocal(const QList<QHostAddress>& addresses)
{
    for (const QHostAddress& address : addresses) {
        if (isLocal(address))
            return true;
    }
    return false;
}

} // namespace

bool isLocal(const QHostAddress& address)
{
    if (address.isNull())
        return true;
    QHostAddress bare = address;
    bare.setScopeId(QString());
    return SiteBoundary::isLocalHost(bare.toString());
}

bool reachesLocalNow(const QString& host)
{
    return SiteBoundary::isLocalHost(host) || anyLocal(HostResolver::addressesNow(host));
}

void mayFetch(const QUrl& from, const QUrl& to, QObject* context, std::function<void(bool)> answer)
{
    // A page of no known address counts as one on the open network.
    if (!from.host().isEmpty() && SiteBoundary::isLocalHost(from.host())) {
        QMetaObject::invokeMethod(context, [answer] { answer(true); }, Qt::QueuedConnection);
        return;
    }
    if (SiteBoundary::isLocalHost(to.host())) {
        QMetaObject::invokeMethod(context, [answer] { answer(false); }, Qt::QueuedConnection);
        return;
    }
    HostResolver::lookUp(to.host(), context,
                         [answer](const QList<QHostAddress>& addresses) { answer(!anyLocal(addresses)); });
}

} // namespace quelto::weblookup::LocalNetworkCheck
