#pragma once

#include <string>
#include <string_view>

namespace quelto::catalog {

// Byte strings derived from the catalogue's text, for the engine's own key
// columns (see ArchiveKeys).
class TextKeys
{
public:
    // A key whose plain byte order (memcmp, SQLite's BINARY) is the order of
    // WesternCollation: two texts compare like their keys. It holds the base
    // letters, and only when the text has accents or letters that stand for
    // two, a zero byte and the lower-case letters with their accents.
    static std::string sortKey(std::string_view utf8);
    static void appendSortKey(std::string_view utf8, std::string& out);

    // The text in lower case (accents kept), in UTF-8: a case-insensitive
    // substring search becomes a plain search in folded texts.
    static std::string folded(std::string_view utf8);
    static void appendFolded(std::string_view utf8, std::string& out);
};

} // namespace quelto::catalog
