#include "catalog/LikePattern.h"

#include "catalog/Utf8.h"
#include "catalog/WesternCollation.h"

#include <QChar>
#include <type_traits>

namespace quelto::catalog {
namespace {

// Case by Unicode's rules: the lower case, then the case folding, so that
// final sigma meets sigma and dotted capital I meets i.
char32_t folded(char32_t c)
{
    if (c < 0x80)
        return (c >= U'A' && c <= U'Z') ? c + 32 : c;
    if (c == 0x130) // "İ": its lower case is "i" with a combining dot
        return U'i';
    return QChar::toCaseFolded(WesternCollation::foldCase(c));
}

} // namespace

LikePattern::LikePattern(std::string_view utf8Pattern)
{
    const std::u32string p = Utf8::decodeAll(utf8Pattern);
    for (size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        Token token{Kind::Literal};
        switch (c) {
        case U'*':
            if (!m_tokens.empty() && m_tokens.back().kind == Kind::AnyRun)
                continue;
            token.kind = Kind::AnyRun;
            break;
        case U'?':
            token.kind = Kind::AnyOne;
            break;
        case U'#':
            token.kind = Kind::Digit;
            break;
        case U'[': {
            size_t j = i + 1;
            if (j < p.size() && p[j] == U']') { // "[]" stands for nothing
                i = j;
                continue;
            }
            token.kind = Kind::Set;
            if (j < p.size() && p[j] == U'!') {
                token.negated = true;
                ++j;
            }
            token.firstRange = m_ranges.size();
            bool closed = false;
            while (j < p.size()) {
                if (p[j] == U']') {
                    closed = true;
                    break;
                }
                if (j + 2 < p.size() && p[j + 1] == U'-' && p[j + 2] != U']') {
                    m_ranges.push_back(
                        {WesternCollation::baseLetter(p[j]), WesternCollation::baseLetter(p[j + 2]), true});
                    j += 3;
                } else {
                    m_ranges.push_back({folded(p[j]), 0, false});
                    ++j;
                }
            }
            if (!closed) {
                m_valid = false;
                return;
            }
            token.rangeCount = m_ranges.size() - token.firstRange;
            i = j;
            break;
        }
        default:
            token.literal = folded(c);
            break;
        }
        m_tokens.push_back(token);
    }
}

bool LikePattern::matchOne(const Token& token, char32_t c) const
{
    const bool ascii = c < 0x80;
    const char32_t fold = folded(c);
    switch (token.kind) {
    case Kind::Literal:
        return fold == token.literal;
    case Kind::AnyOne:
        return true;
    case Kind::Digit:
        return c >= U'0' && c <= U'9';
    case Kind::Set: {
        const char32_t base = ascii ? fold : WesternCollation::baseLetter(c);
        bool inSet = false;
        for (size_t r = token.firstRange; r < token.firstRange + token.rangeCount && !inSet; ++r) {
            const Range& range = m_ranges[r];
            inSet = range.isRange ? (base >= range.low && base <= range.high) : fold == range.low;
        }
        return inSet != token.negated;
    }
    case Kind::AnyRun:
        break;
    }
    return false;
}

template <typename Text> bool LikePattern::matchSequence(const Text& text) const
{
    // Glob matching with one backtrack point for the last "*": linear for the
    // patterns the searches build (a single run of characters between stars).
    size_t t = 0, k = 0;
    size_t starToken = size_t(-1), starText = 0;
    while (t < text.size()) {
        if (k < m_tokens.size() && m_tokens[k].kind == Kind::AnyRun) {
            starToken = k++;
            starText = t;
        } else if (k < m_tokens.size() && matchOne(m_tokens[k], char32_t(static_cast<std::make_unsigned_t<typename Text::value_type>>(text[t])))) {
            ++k;
            ++t;
        } else if (starToken != size_t(-1)) {
            k = starToken + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (k < m_tokens.size() && m_tokens[k].kind == Kind::AnyRun)
        ++k;
    return k == m_tokens.size();
}

bool LikePattern::matches(std::string_view utf8Text) const
{
    if (!m_valid)
        return false;
    // Most catalogue text is ASCII: match its bytes as they are.
    bool ascii = true;
    for (const char c : utf8Text) {
        if (static_cast<unsigned char>(c) & 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return matchSequence(utf8Text);
    thread_local std::u32string text;
    Utf8::decodeInto(utf8Text, text);
    return matchSequence(text);
}

} // namespace quelto::catalog
