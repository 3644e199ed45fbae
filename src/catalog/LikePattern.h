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

    bool matchOne(const Token& token, char32_t c) const;
    template <typename Text> bool matchSequence(const Text& text) const;

    std::vector<Token> m_tokens;
    std::vector<Range> m_ranges;
    bool m_valid = true;
};

} // namespace quelto::catalog
