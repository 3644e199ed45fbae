#include "catalog/Utf8.h"

namespace quelto::catalog {

char32_t Utf8::decode(std::string_view s, size_t& i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    auto cont = [&](size_t k) -> int {
        if (i + k >= s.size())
            return -1;
        const auto b = static_cast<unsigned char>(s[i + k]);
        return (b & 0xC0) == 0x80 ? (b & 0x3F) : -1;
    };
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    if ((b0 & 0xE0) == 0xC0) {
        const int c1 = cont(1);
        const char32_t c = c1 >= 0 ? (char32_t(b0 & 0x1F) << 6) | char32_t(c1) : 0;
        if (c >= 0x80) { // not overlong
            i += 2;
            return c;
        }
    } else if ((b0 & 0xF0) == 0xE0) {
        const int c1 = cont(1), c2 = c1 >= 0 ? cont(2) : -1;
        const char32_t c = c2 >= 0 ? (char32_t(b0 & 0x0F) << 12) | (char32_t(c1) << 6) | char32_t(c2) : 0;
        if (c >= 0x800 && (c < 0xD800 || c > 0xDFFF)) {
            i += 3;
            return c;
        }
    } else if ((b0 & 0xF8) == 0xF0) {
        const int c1 = cont(1), c2 = c1 >= 0 ? cont(2) : -1, c3 = c2 >= 0 ? cont(3) : -1;
        const char32_t c =
            c3 >= 0 ? (char32_t(b0 & 0x07) << 18) | (char32_t(c1) << 12) | (char32_t(c2) << 6) | char32_t(c3) : 0;
        if (c >= 0x10000 && c <= 0x10FFFF) {
            i += 4;
            return c;
        }
    }
    ++i;
    return b0;
}

void Utf8::decodeInto(std::string_view s, std::u32string& out)
{
    out.clear();
    for (size_t i = 0; i < s.size();)
        out.push_back(decode(s, i));
}

std::string_view Utf8::firstCharacters(std::string_view s, size_t n)
{
    if (s.size() <= n)
        return s; // no more characters than bytes
    size_t i = 0;
    for (size_t k = 0; k < n && i < s.size(); ++k)
        decode(s, i);
    return s.substr(0, i);
}

std::u32string Utf8::decodeAll(std::string_view s)
{
    std::u32string out;
    decodeInto(s, out);
    return out;
}

void Utf8::encode(char32_t c, std::string& out)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | ((c >> 18) & 0x07));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

} // namespace quelto::catalog
