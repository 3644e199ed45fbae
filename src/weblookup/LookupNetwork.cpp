#include "weblookup/LookupNetwork.h"

#include <QNetworkAccessManager>

namespace quelto::weblookup::LookupNetwork {

QNetworkAccessManager* create(QObject* parent)
{
    // No proxy of its own: the application's proxy (PinnedProxy) connects
    // to exactly the address it judged, as for the browser engine.
    auto* network = new QNetworkAccessManager(parent);
    // Redirects are followed by the fetcher itself, each one checked.
    network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    return network;
}

} // namespace quelto::weblookup::LookupNetwork
