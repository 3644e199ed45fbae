#include "webcatalogue/ScriptSafeJson.h"

namespace quelto::webcatalogue {

void ScriptSafeJson::appendString(std::string& out, QByteArrayView utf8)
{
    static const char hex[] = "0123456789abcdef";
    const auto escaped = [&out](unsigned code) {
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            out += hex[(code >> shift) & 0xF];
    };
    out += '"';
    const qsizetype size = utf8.size();
    const char* data = utf8.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '<':
        case '>':
        case '&':
            escaped(c);
            break;
        case 0xE2:
            // U+2028 and U+2029: E2 80 A8 and E2 80 A9.
            if (i + 2 < size && static_cast<unsigned char>(data[i + 1]) == 0x80 &&
                (static_cast<unsigned char>(data[i + 2]) == 0xA8 || static_cast<unsigned char>(data[i + 2]) == 0xA9)) {
                escaped(static_cast<unsigned char>(data[i + 2]) == 0xA8 ? 0x2028 : 0x2029);
                i += 2;
            } else {
                out += char(c);
            }
            break;
        default:
            if (c < 0x20)
                escaped(c);
            else
                out += char(c);
        }
    }
    out += '"';
}

} // namespace quelto::webcatalogue
