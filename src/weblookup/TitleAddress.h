#pragma once

#include <QString>
#include <QUrl>

namespace quelto::weblookup {

// Where a text typed into the browser pane's address field leads: an IMDb
// ID ("tt0468569") to the movie site's title page of that ID, a web address
// (with or without "https://") to itself. Anything else leads nowhere.
namespace TitleAddress {

// The IMDb ID the text is, blanks aside ("tt" and seven or more digits), or "".
QString imdbId(const QString& text);
// movieSite is the server of the settings (empty: the public IMDb).
QUrl fromTyped(const QString& text, const QUrl& movieSite);

} // namespace TitleAddress
} // namespace quelto::weblookup
