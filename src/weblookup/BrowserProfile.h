#pragma once

#include <QString>

class QObject;
class QWebEngineProfile;

namespace quelto::weblookup {

// The browser engine's profile of the lookup's browsers. Cookies, the cache and
// the answers given to a site's consent questions are kept between runs in a
// folder of the user's data (~/.local/share/quelto/browser).
namespace BrowserProfile {

// The folder in use.
QString location();
// Points every profile made afterwards at another folder (tests); an empty
// text goes back to the user's data folder.
void setLocation(const QString& folder);

// A new profile on location(). Pages that use it must be deleted before it.
QWebEngineProfile* create(QObject* parent = nullptr);

} // namespace BrowserProfile
} // namespace quelto::weblookup
