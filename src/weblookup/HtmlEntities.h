#pragma once

#include <QString>
#include <QStringView>

namespace quelto::weblookup {

// Replaces HTML character references in text with the characters they stand
// for: numeric ones (&#39; &#x27;) and the named ones a movie page uses (the
// Latin-1 names, &apos;, dashes, quotes). A reference that is not known, or
// that names no valid character, stays as written.
QString decodeHtmlEntities(QStringView text);

} // namespace quelto::weblookup
