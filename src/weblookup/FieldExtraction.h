#pragma once

#include "weblookup/LookupFields.h"

#include <functional>
#include <optional>
#include <QList>
#include <QPair>
#include <QString>

namespace quelto::weblookup {

// Reads the body text of a loaded page once; std::nullopt when the page cannot be read.
using PageTextReader = std::function<std::optional<QString>()>;

// How often grabit_pt2 reads the credits page until its text holds "Cast".
inline constexpr int creditsReadAttempts = 50;

// Whether a classic further page read without the browser holds what its step
// reads: "Cast" on the credits page, "Companies" on the companies page. A page
// that does not may still be built by its scripts, and loads in the browser.
bool classicPageComplete(const QString& pageName, const QString& bodyText);

// Title page: sets the title and year from the document title, then director,
// genre, country, language, colour, sound and the rating caption from the body
// text. The body markers are searched in that order, each after the value of the
// one before.
void extractTitlePage(LookupFields& fields, const QString& documentTitle, const QString& bodyText);

// Credits page: reads the page with readBody until its text holds "Cast" (at most
// creditsReadAttempts reads; a failed read keeps the text read before), then sets
// the writer, up to six cast names and the composer. A list ended by a line
// that mentions the producers leaves the slots after it as they were; a list
// that runs to the end of the text empties them.
void grabit_pt2(LookupFields& fields, const PageTextReader& readBody);

// Credits page: the whole cast list after the "Cast" heading as the page
// bills it, person and character ("Ada Quill .... Nora" gives both, a name
// alone an empty character), up to the producers or the next credit heading
// ("Original Music by"). Empty when the page has no cast heading.
QList<QPair<QString, QString>> classicCastRoles(const QString& creditsText);

// Companies page: sets the producer to the first production company.
void grabit_pt3(LookupFields& fields, const QString& bodyText);

// The year rule on a document title: the four characters after the first "("
// that is followed by "1" or "2", or an empty text when there is no such "(".
QString yearFromTitle(QStringView title);

} // namespace quelto::weblookup
