#pragma once

#include <string>
#include <string_view>

namespace quelto::catalog {

// Decoding of the UTF-8 text the database hands over (and the encoding of a
// character back); a byte that starts no
// valid sequence (overlong forms and surrogates included) is taken as a
// Latin-1 character, so decoding never fails and never yields a character
// the bytes do not show.
class Utf8
{
public:
    static char32_t decode(std::string_view s, size_t& i);
    static void decodeInto(std::string_view s, std::u32string& out);
    static std::u32string decodeAll(std::string_view s);
    // The text cut after its first n characters (as decode() counts them).
    static std::string_view firstCharacters(std::string_view s, size_t n);
    // c appended as UTF-8.
    static void encode(char32_t c, std::string& out);
};

} // namespace quelto::catalog
