#pragma once

#include <string_view>
#include <vector>

namespace quelto::catalog {

// A field that names several values at once, as a grab fills it: "Action /
// Crime / Drama". Each entry is taken without the spaces at its ends; empty
// entries are no value.
class ValueList
{
public:
    static constexpr std::string_view Separator = " / ";

    // The text without the spaces at its ends (other white space stays, as
    // the engine's trim() leaves it).
    static std::string_view trimmed(std::string_view text);
    // The entries of text, in order (text itself, trimmed, when it holds no
    // separator); nothing for a blank text.
    static void split(std::string_view text, std::vector<std::string_view>& out);
    // Whether one of the entries of list is value as the catalogue compares
    // text (case aside, blanks at the ends left out).
    static bool holds(std::string_view list, std::string_view value);
};

} // namespace quelto::catalog
