#pragma once

#include <QStringList>

namespace quelto::editing {

// The entries a drop-down or a search list offers from stored texts: each
// value once, without the leading and trailing blanks old rows may carry, and
// no blank entry at all.
class OptionEntries
{
public:
    // Keeps the first of equal values in the order given; alphabetical lists
    // are sorted again in the catalogue's text order, since a value that lost
    // a leading blank belongs elsewhere now.
    static QStringList distinct(const QStringList& stored, bool alphabetical);
    // Equal for the catalogue's text order (case and accents aside), as the
    // grouping of the genre list treats them.
    static QStringList distinctIgnoringCase(const QStringList& stored);
};

} // namespace quelto::editing
