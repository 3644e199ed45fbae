#include "weblookup/LookupNetwork.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QUrl>

namespace quelto::weblookup::LookupNetwork {
namespace {

// The proxy the browser engine was told to use ("--proxy-server=host:port",
// in its flags or on the command line): the pages go the browser's way.
QString engineProxy()
{
    QStringList flags = QString::fromLocal8Bit(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS")).split(u' ', Qt::SkipEmptyParts);
    if (QCoreApplication::instance())
        flags += QCoreApplication::arguments();
    for (const QString& flag : flags) {
        if (flag.startsWith(QLatin1String("--proxy-server=")))
            return flag.mid(int(sizeof("--proxy-server=")) - 1);
    }
    return {};
}

} // namespace

QNetworkAccessManager* create(QObject* parent)
{
    auto* network = new QNetworkAccessManager(parent);
    // Redirects are followed by the fetcher itself, each one checked.
    network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    const QString proxy = engineProxy();
    if (!proxy.isEmpty() && !proxy.contains(u';')) {
        const QUrl url = QUrl::fromUserInput(proxy.contains(QLatin1String("://")) ? proxy : QStringLiteral("http://") + proxy);
        if (url.isValid() && !url.host().isEmpty() && url.scheme() == u"http")
            network->setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, url.host(), quint16(url.port(80))));
    }
    return network;
}

} // namespace quelto::weblookup::LookupNetwork
