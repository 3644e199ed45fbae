#include "catalog/LikePattern.h"

#include "catalog/Utf8.h"
#include "catalog/WesternCollation.h"

#include <QChar>
#include <algorithm>
#include <type_traits>
#include <vector>

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

// The characters beyond ASCII whose folding is an ASCII character, in order.
// Case mappings exist in the first two planes only.
const std::vector<char32_t>& foldingToAscii()
{
    static const std::vector<char32_t> list = [] {
        std::vector<char32_t> found;
        for (char32_t c = 0x80; c < 0x20000; ++c) {
            if ((c < 0xD800 || c > 0xDFFF) && folded(c) < 0x80)
                found.push_back(c);
        }
        return found;
    }();
    return list;
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
    prepareAscii();
}

void LikePattern::prepareAscii()
{
    m_ascii.assign(m_tokens.size(), AsciiSet());
    for (size_t k = 0; k < m_tokens.size(); ++k) {
        if (m_tokens[k].kind == Kind::AnyRun)
            continue;
        for (unsigned char c = 0; c < 128; ++c) {
            if (matchOne(m_tokens[k], c))
                m_ascii[k].add(c);
        }
    }
    size_t runs = 0;
    m_bytewise = true;
    for (const Token& token : m_tokens) {
        runs += token.kind == Kind::AnyRun;
        if (!takesAsciiOnly(token))
            m_bytewise = false;
    }
    if (runs == 0)
        m_shape = Shape::Whole;
    else if (runs == 2 && m_tokens.size() > 2 && m_tokens.front().kind == Kind::AnyRun &&
             m_tokens.back().kind == Kind::AnyRun)
        m_shape = Shape::Substring;
}

bool LikePattern::matchAscii(std::string_view text) const
{
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    switch (m_shape) {
    case Shape::Whole: {
        if (n != m_tokens.size())
            return false;
        for (size_t i = 0; i < n; ++i) {
            if (!m_ascii[i].has(t[i]))
                return false;
        }
        return true;
    }
    case Shape::Substring: {
        const size_t k = m_tokens.size() - 2;
        if (n < k)
            return false;
        const AsciiSet& first = m_ascii[1];
        for (size_t start = 0; start + k <= n; ++start) {
            if (first.has(t[start]) && runAt(t + start))
                return true;
        }
        return false;
    }
    case Shape::General:
        break;
    }
    // Glob matching with one backtrack point, as matchSequence.
    size_t i = 0, k = 0;
    size_t starToken = size_t(-1), starText = 0;
    while (i < n) {
        if (k < m_tokens.size() && m_tokens[k].kind == Kind::AnyRun) {
            starToken = k++;
            starText = i;
        } else if (k < m_tokens.size() && m_ascii[k].has(t[i])) {
            ++k;
            ++i;
        } else if (starToken != size_t(-1)) {
            k = starToken + 1;
            i = ++starText;
        } else {
            return false;
        }
    }
    while (k < m_tokens.size() && m_tokens[k].kind == Kind::AnyRun)
        ++k;
    return k == m_tokens.size();
}

bool LikePattern::takesAsciiOnly(const Token& token) const
{
    switch (token.kind) {
    case Kind::Literal:
        return token.literal < 0x80;
    case Kind::Digit:
    case Kind::AnyRun:
        return true;
    case Kind::AnyOne:
        return false;
    case Kind::Set:
        // A list of letters ("[Mm]") does; a range takes accented letters and
        // a negation everything beyond ASCII.
        if (token.negated)
            return false;
        for (size_t r = token.firstRange; r < token.firstRange + token.rangeCount; ++r) {
            if (m_ranges[r].isRange || m_ranges[r].low >= 0x80)
                return false;
        }
        return true;
    }
    return false;
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

bool LikePattern::holdsAsciiFolding(std::string_view utf8Text)
{
    const std::vector<char32_t>& list = foldingToAscii();
    for (size_t i = 0; i < utf8Text.size();) {
        if (static_cast<unsigned char>(utf8Text[i]) < 0x80) {
            ++i;
            continue;
        }
        const char32_t c = Utf8::decode(utf8Text, i);
        if (std::binary_search(list.begin(), list.end(), c))
            return true;
    }
    return false;
}

bool LikePattern::matches(std::string_view utf8Text) const
{
    if (!m_valid)
        return false;
    if (m_bytewise) {
        // Bytes beyond ASCII match no token but a run, and the ASCII bytes of
        // UTF-8 are whole characters: a match of the bytes is one of the
        // characters, and the only characters a token takes are ASCII ones,
        // unless the text holds a character that folds to ASCII.
        if (m_shape == Shape::Substring)
            return findBytes(utf8Text);
        if (matchAscii(utf8Text))
            return true;
        const auto* t = reinterpret_cast<const unsigned char*>(utf8Text.data());
        if (std::none_of(t, t + utf8Text.size(), [](unsigned char b) { return b & 0x80; }) ||
            !holdsAsciiFolding(utf8Text))
            return false;
        return matchDecoded(utf8Text);
    }
    // Most catalogue text is ASCII: its bytes are matched as they are, until
    // a byte shows the text is not (a character beyond ASCII may fold to an
    // ASCII letter, "K" Kelvin sign to "k").
    const auto* t = reinterpret_cast<const unsigned char*>(utf8Text.data());
    const size_t n = utf8Text.size();
    if (m_shape == Shape::Substring) {
        const size_t k = m_tokens.size() - 2;
        const AsciiSet& first = m_ascii[1];
        for (size_t start = 0; start < n; ++start) {
            if (t[start] & 0x80)
                return matchDecoded(utf8Text);
            if (first.has(t[start]) && start + k <= n && runAt(t + start))
                return true; // ASCII characters only: found as decoded too
        }
        return false;
    }
    for (size_t i = 0; i < n; ++i) {
        if (t[i] & 0x80)
            return matchDecoded(utf8Text);
    }
    return matchAscii(utf8Text);
}

// Whether the tokens between the stars of a "*...*" pattern take the ASCII
// bytes from t on, one each (the text holds as many).
bool LikePattern::runAt(const unsigned char* t) const
{
    const size_t k = m_tokens.size() - 2;
    const AsciiSet* sets = m_ascii.data() + 1;
    size_t j = 0;
    while (j < k && sets[j].has(t[j]))
        ++j;
    return j == k;
}

// The bytewise search of a "*...*" pattern in one pass over the text, which
// notes on the way whether the text is all ASCII.
bool LikePattern::findBytes(std::string_view utf8Text) const
{
    const auto* t = reinterpret_cast<const unsigned char*>(utf8Text.data());
    const size_t n = utf8Text.size();
    const size_t k = m_tokens.size() - 2;
    const AsciiSet& first = m_ascii[1];
    unsigned char seen = 0;
    size_t start = 0;
    for (; start + k <= n; ++start) {
        seen |= t[start];
        if (first.has(t[start]) && runAt(t + start))
            return true;
    }
    for (; start < n; ++start)
        seen |= t[start];
    if (!(seen & 0x80) || !holdsAsciiFolding(utf8Text))
        return false;
    return matchDecoded(utf8Text);
}

bool LikePattern::matchDecoded(std::string_view utf8Text) const
{
    thread_local std::u32string text;
    Utf8::decodeInto(utf8Text, text);
    return matchSequence(text);
}

} // namespace quelto::catalog
