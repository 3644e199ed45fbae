#include "catalog/TextKeys.h"

#include "catalog/Utf8.h"
#include "catalog/WesternCollation.h"

#include <algorithm>

namespace quelto::catalog {
namespace {

// Code points as UTF-8-like bytes; the byte order of the encoding is the order
// of the numbers, and no character but U+0000 (kept as 1) gives a zero byte.
void appendCode(char32_t c, std::string& out)
{
    if (c == 0)
        c = 1;
    Utf8::encode(c, out);
}

inline char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

bool isAscii(std::string_view s)
{
    for (char c : s) {
        if (static_cast<unsigned char>(c) & 0x80)
            return false;
    }
    return true;
}

} // namespace

std::string TextKeys::sortKey(std::string_view utf8)
{
    std::string key;
    key.reserve(utf8.size() + 2);
    appendSortKey(utf8, key);
    return key;
}

void TextKeys::appendSortKey(std::string_view utf8, std::string& key)
{
    // Most text is ASCII: base letters and lower case agree, one level decides.
    if (isAscii(utf8)) {
        const size_t at = key.size();
        key.resize(at + utf8.size());
        char* out = key.data() + at;
        for (const char c : utf8)
            *out++ = c == 0 ? char(1) : asciiLower(c);
        return;
    }
    thread_local std::string secondary;
    secondary.clear();
    bool secondaryDiffers = false;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) { // its own base letter and lower case
            const char lower = b == 0 ? char(1) : asciiLower(char(b));
            key += lower;
            secondary += lower;
            ++i;
            continue;
        }
        const char32_t c = Utf8::decode(utf8, i);
        const char32_t base = WesternCollation::baseLetter(c);
        const char32_t lower = WesternCollation::foldCase(c);
        appendCode(base, key);
        if (const char32_t second = WesternCollation::secondLetter(c)) // "ß" sorts as "ss"
            appendCode(second, key);
        appendCode(lower, secondary);
        secondaryDiffers = secondaryDiffers || lower != base;
    }
    // A text without accents sorts before its accented forms: its key is a
    // prefix of theirs.
    if (secondaryDiffers) {
        key += '\0';
        key += secondary;
    }
}

bool TextKeys::holdsDigit(std::string_view utf8)
{
    for (char c : utf8) {
        if (c >= '0' && c <= '9')
            return true;
    }
    return false;
}

void TextKeys::appendOrderKey(std::string_view utf8, std::string& out)
{
    if (!holdsDigit(utf8)) {
        appendSortKey(utf8, out);
        return;
    }
    thread_local std::string plain;
    plain.clear();
    appendSortKey(utf8, plain);
    // The base letters end at the zero byte before the lower-case ones (the
    // key holds no other zero byte); digits are ASCII bytes of their own.
    const size_t baseEnd = std::min(plain.find('\0'), plain.size());
    for (size_t i = 0; i < baseEnd;) {
        if (plain[i] < '0' || plain[i] > '9') {
            out += plain[i++];
            continue;
        }
        while (i < baseEnd && plain[i] == '0')
            ++i;
        size_t end = i;
        while (end < baseEnd && plain[end] >= '0' && plain[end] <= '9')
            ++end;
        // A run sorts where a digit does; more significant digits, a larger number.
        const size_t length = end - i;
        out += '0';
        if (length < 0xFF) {
            out += char(length + 1);
        } else {
            out += char(0xFF);
            for (int shift = 24; shift >= 0; shift -= 8)
                out += char((length >> shift) & 0xFF);
        }
        out.append(plain, i, length);
        i = end;
    }
    out += '\0';
    out += plain;
}

std::string TextKeys::orderKey(std::string_view utf8)
{
    std::string key;
    key.reserve(utf8.size() * 2 + 4);
    appendOrderKey(utf8, key);
    return key;
}

void TextKeys::appendFolded(std::string_view utf8, std::string& out)
{
    if (isAscii(utf8)) {
        for (char c : utf8)
            out += asciiLower(c);
        return;
    }
    for (size_t i = 0; i < utf8.size();)
        appendCode(WesternCollation::foldCase(Utf8::decode(utf8, i)), out);
}

std::string TextKeys::folded(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    appendFolded(utf8, out);
    return out;
}

} // namespace quelto::catalog
