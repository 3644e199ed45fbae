#pragma once

#include <string_view>
#include <vector>

namespace quelto::catalog {

// A pattern of the catalogue's like operator, matched without regard to case
// (by Unicode's case folding: "ς" matches "Σ", "İ" matches "i") and accents
// (TextFold: "e" matches "é", "oe" matches "œ"; a typed "é" only "é" and "É"):
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
        bool plain = false; // a single item that is its own folding: takes what folds to it
    };
    struct Token
    {
        Kind kind;
        char32_t literal = 0; // case-folded
        bool negated = false;
        size_t firstRange = 0;
        size_t rangeCount = 0;
        // A literal that is not its own folding takes that character alone,
        // one token for each letter it folds to (part).
        bool exact = false;
        unsigned char part = 0;
    };
    // One letter of a text's folding, and the character it comes from.
    struct Unit
    {
        char32_t base;
        char32_t exact; // case-folded
        unsigned char part;
        unsigned char parts;
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

    // How many units from the i-th one the token takes (0: it does not match).
    size_t take(const Token& token, const Unit& unit) const;
    bool inSet(const Token& token, const Unit& unit) const;
    // Whether the token takes no character beyond ASCII but those that fold
    // to ASCII.
    bool takesAsciiOnly(const Token& token) const;
    bool matchUnits(const std::vector<Unit>& text) const;
    bool matchAscii(std::string_view text) const;
    bool findBytes(std::string_view utf8Text) const;
    bool runAt(const unsigned char* t) const;
    bool matchDecoded(std::string_view utf8Text) const;
    bool matchFoldedBytes(std::string_view utf8Text) const;
    void prepareAscii();

    std::vector<Token> m_tokens;
    std::vector<Range> m_ranges;
    std::vector<AsciiSet> m_ascii; // per token
    Shape m_shape = Shape::General;
    // Every token takes ASCII letters by their folding only, or is a run: the
    // bytes of the text's folding can be matched as they are.
    bool m_bytewise = false;
    bool m_hasExact = false; // a token takes an accented character alone
    bool m_valid = true;
};

} // namespace quelto::catalog
