#pragma once

class QNetworkAccessManager;
class QObject;

namespace quelto::weblookup {

// The network access of the lookup's own requests (the further pages of a
// grab), made in this one place so that every such request is reached the way
// the address checks of LocalNetworkCheck judge it.
namespace LookupNetwork {

QNetworkAccessManager* create(QObject* parent);

} // namespace LookupNetwork
} // namespace quelto::weblookup
