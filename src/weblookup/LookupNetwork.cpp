#include "weblookup/LookupNetwork.h"

#include <QNetworkAccessManager>

namespace quelto::weblookup::LookupNetwork {

QNetworkAccessManager* create(QObject* parent)
{
    auto* network = new QNetworkAccessManager(parent);
    // Redirects are followed by the fetcher itself, each one checked.
    network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    return network;
}

} // namespace quelto::weblookup::LookupNetwork
