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
    // WesternCollation with digits taken as characters ("10" before "2"), two
    // texts equal exactly when WesternCollation says so; Quelto 1.2.0 stored
    // it in its helper columns. It holds the base
    // letters, and only when the text has accents or letters that stand for
    // two, a zero byte and the lower-case letters with their accents.
    static std::string sortKey(std::string_view utf8);
    static void appendSortKey(std::string_view utf8, std::string& out);

    // The key of the catalogue's order, in which runs of digits compare by
    // their value ("Number 2" before "Number 10", "V2" before "V10"): the
    // sortKey itself for a text without digits, else the base letters with
    // each run of digits as its length and significant digits, a zero byte
    // and the sortKey (so that "02" and "2" stay apart, "02" first). Two
    // texts are equal in it exactly when they are in sortKey.
    static std::string orderKey(std::string_view utf8);
    static void appendOrderKey(std::string_view utf8, std::string& out);
    static bool holdsDigit(std::string_view utf8);

    // The text in lower case (accents kept), in UTF-8: a case-insensitive
    // substring search becomes a plain search in folded texts.
    static std::string folded(std::string_view utf8);
    static void appendFolded(std::string_view utf8, std::string& out);
};

} // namespace quelto::catalog
