#pragma once

#include <QString>

namespace quelto::weblookup {

// What a grab trusts as a field's value. Pages and their structured data
// hold texts that are no value at all: placeholders ("N/A", "unknown", "-",
// "0"), footnote markers after a name ("The Wachowskis[lower-alpha 1]"),
// markup left in a text, a sound column that names the sound engineer. A
// refused value is passed over and the field's next source is read.
namespace ValueCheck {

// One line as a person would type it: direction marks and footnote markers
// ("[1]", "[a]", "[note 2]", "[lower-alpha 1]", "[citation needed]") removed,
// white space made single.
QString cleaned(const QString& text);

// Why value cannot be the value of the field column, for the grab's report
// ("a placeholder", "markup left in the text"); empty when it can. value is
// cleaned. The person test of the company field needs the page and is the
// grab's.
QString refusal(const QString& column, const QString& value);

// "N/A", "n.a.", "-", "null", "unknown", "0", "TBA", "?", in several languages.
bool isPlaceholder(const QString& value);
// A tag ("<b>", "</a>"), an entity left undecoded ("&amp;"), a template ("{{").
bool hasMarkup(const QString& value);

} // namespace ValueCheck
} // namespace quelto::weblookup
