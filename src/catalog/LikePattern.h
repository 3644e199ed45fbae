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
        bool takes[256] = {}; // a byte beyond ASCII never
        bool has(unsigned char c) const { return takes[c]; }
        void add(unsigned char c) { takes[c] = c < 128; }
    };
    enum class Shape
    {
        General,
        Substring, // "*" one-character tokens "*"
        Whole      // one-character tokens only
    };

    bool matchOne(const Token& token, char32_t c) const;
    // Whether the token takes no character beyond ASCII but those that fold
    // to ASCII.
    bool takesAsciiOnly(const Token& token) const;
    template <typename Text> bool matchSequence(const Text& text) const;
    bool matchAscii(std::string_view text) const;
    bool findBytes(std::string_view utf8Text) const;
    bool runAt(const unsigned char* t) const;
    bool matchDecoded(std::string_view utf8Text) const;
    void prepareAscii();
    // Whether the text holds a character beyond ASCII that folds to an ASCII
    // one ("K" Kelvin sign, "ſ" long s, "İ").
    static bool holdsAsciiFolding(std::string_view utf8Text);

    std::vector<Token> m_tokens;
    std::vector<Range> m_ranges;
    std::vector<AsciiSet> m_ascii; // per token
    Shape m_shape = Shape::General;
    // Every token takes ASCII characters only, or is a run: the UTF-8 bytes can
    // be matched as they are unless the text holds a character that folds to
    // ASCII.
    bool m_bytewise = false;
    bool m_valid = true;
};

} // namespace quelto::catalog
