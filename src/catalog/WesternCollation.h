#pragma once

#include <QString>
#include <string_view>

namespace quelto::catalog {

// The general, case-insensitive Western order in which the catalogue compares,
// groups and sorts text: letters compare without case, an accented letter sorts
// with its base letter ("Émile" next to "Emile", before "F"), and only text that
// is the same but for accents is told apart by them (unaccented first).
// Two texts that differ only in case compare equal. Runs of digits compare by
// their value ("V2" before "V10"; "V02" right before "V2").
class WesternCollation
{
public:
    // Compares two UTF-8 texts; negative, zero or positive like strcmp.
    static int compareUtf8(std::string_view a, std::string_view b);
    static int compare(const QString& a, const QString& b);

    // The character in lower case (accents kept).
    static char32_t foldCase(char32_t c);
    // The character in lower case with its accent removed ("É" -> "e").
    // Letters that stand for two ("ß", "æ") give their first letter here.
    static char32_t baseLetter(char32_t c);
    // The second letter of a letter that sorts as two ("ß" -> "s", "æ" -> "e"),
    // or 0.
    static char32_t secondLetter(char32_t c);
};

} // namespace quelto::catalog
