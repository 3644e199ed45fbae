#pragma once

#include <string_view>
#include <vector>

namespace quelto::catalog {

// A pattern of the catalogue's like operator, matched without regard to case
// (by Unicode's case folding: "ς" matches "Σ", "İ" matches "i"):
//   *  any run of characters      ?  any one character      #  one digit
//   [abc]  one of a list   [a-z]  one of a range   [!abc]  one not in the list
// Within brackets "*", "?", "#" and "[" stand for themselves. A pattern without
// wildcards is a case-insensitive comparison for equality.
class LikePattern
{
public:
    // Compiles a UTF-8 pattern; isValid() is false for an unclosed bracket.
    explicit LikePattern(std::string_view utf8Pattern);

    bool isValid() const { return m_valid; }
    bool matches(std::string_view utf8Text) const;

private:
    enum class Kind
    {
        Literal,
        AnyOne,
        AnyRun,
        Digit,
        Set
    };
    struct Range
    {
        char32_t low;
        char32_t high;
        bool isRange; // a range compares base letters, a single item folded letters
    };
    struct Token
    {
        Kind kind;
        char32_t literal = 0; // case-folded
        bool negated = false;
        size_t firstRange = 0;
        size_t rangeCount = 0;
    };

    // The ASCII characters a token takes, for texts that are all ASCII (most
    // of a catalogue): a table lookup instead of case folding.
    struct AsciiSet
    {
        unsigned long long bits[2] = {0, 0};
        bool has(unsigned char c) const { return c < 128 && (bits[c >> 6] >> (c & 63)) & 1; }
        void add(unsigned char c) { bits[c >> 6] |= 1ULL << (c & 63); }
    };
    enum class Shape
    {
        General,
        Substring, // "*" one-character tokens "*"
        Whole      // one-character tokens only
    };

    bool matchOne(const Token& token, char32_t c) const;
    template <typename Text> bool matchSequence(const Text& text) const;
    bool matchAscii(std::string_view text) const;
    bool matchDecoded(std::string_view utf8Text) const;
    void prepareAscii();

    std::vector<Token> m_tokens;
    std::vector<Range> m_ranges;
    std::vector<AsciiSet> m_ascii; // per token
    Shape m_shape = Shape::General;
    bool m_valid = true;
};

} // namespace quelto::catalog
