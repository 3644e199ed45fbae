#pragma once

#include <QByteArrayView>
#include <string>

namespace quelto::webcatalogue {

// JSON text that can stand inside an HTML <script> block: besides what JSON
// itself escapes, "<", ">" and "&" are written as \u escapes, so no value can
// close the block or open a comment, and the line and paragraph separators
// too, which older script engines do not take in strings.
class ScriptSafeJson
{
public:
    // Appends a UTF-8 text as a JSON string, quotes included.
    static void appendString(std::string& out, QByteArrayView utf8);
};

} // namespace quelto::webcatalogue
