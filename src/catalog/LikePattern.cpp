#include "catalog/LikePattern.h"

#include "catalog/TextFold.h"
#include "catalog/Utf8.h"
#include "catalog/WesternCollation.h"

#include <QList>
#include <QString>
#include <algorithm>
#include <vector>

namespace quelto::catalog {
namespace {

char32_t folded(char32_t c) { return TextFold::caseFolded(c); }

bool isAscii(std::string_view text)
{
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    return std::none_of(t, t + text.size(), [](unsigned char b) { return b & 0x80; });
}

// Text written with combining marks ("e" + U+0301) in its composed form, so
// that a typed "é" finds it; other text as it is.
std::u32string composed(std::string_view utf8)
{
    std::u32string text = Utf8::decodeAll(utf8);
    const bool marks = std::any_of(text.begin(), text.end(), [](char32_t c) {
        return c >= 0x300 && TextFold::letters(c).count == 0;
    });
    if (!marks)
        return text;
    const QString q = QString::fromUcs4(text.data(), qsizetype(text.size())).normalized(QString::NormalizationForm_C);
    const QList<uint> ucs = q.toUcs4();
    return std::u32string(ucs.begin(), ucs.end());
}

} // namespace

LikePattern::LikePattern(std::string_view utf8Pattern)
{
    const std::u32string p = composed(utf8Pattern);
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
                    const char32_t item = folded(p[j]);
                    const bool plain = TextFold::isPlain(item);
                    m_hasExact = m_hasExact || !plain;
                    m_ranges.push_back({item, 0, false, plain});
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
        default: {
            token.literal = folded(c);
            const TextFold::Letters letters = TextFold::letters(token.literal);
            if (letters.count == 0) // a mark alone: the text's marks do not count either
                continue;
            if (!TextFold::isPlain(token.literal)) {
                token.exact = true;
                m_hasExact = true;
                for (unsigned char part = 0; part + 1 < letters.count; ++part) {
                    token.part = part;
                    m_tokens.push_back(token);
                }
                token.part = static_cast<unsigned char>(letters.count - 1);
            }
            break;
        }
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
            const char32_t lower = folded(c);
            if (take(m_tokens[k], Unit{lower, lower, 0, 1}))
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
    // Glob matching with one backtrack point, as matchUnits.
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
        return !token.exact && token.literal < 0x80;
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

// Whether a set takes the whole character a unit comes from, as it is.
bool LikePattern::inSet(const Token& token, const Unit& unit) const
{
    const char32_t base = unit.exact < 0x80 ? unit.exact : WesternCollation::baseLetter(unit.exact);
    for (size_t r = token.firstRange; r < token.firstRange + token.rangeCount; ++r) {
        const Range& range = m_ranges[r];
        if (range.isRange ? (base >= range.low && base <= range.high) : unit.exact == range.low)
            return true;
    }
    return false;
}

size_t LikePattern::take(const Token& token, const Unit& unit) const
{
    switch (token.kind) {
    case Kind::Literal:
        if (token.exact)
            return unit.exact == token.literal && unit.part == token.part ? 1 : 0;
        return unit.base == token.literal ? 1 : 0;
    case Kind::AnyOne:
        return unit.part == 0 ? unit.parts : 0;
    case Kind::Digit:
        return unit.base >= U'0' && unit.base <= U'9' ? 1 : 0;
    case Kind::Set: {
        // A plain letter in the list takes what folds to it, one letter at a time.
        bool plainLetter = false;
        for (size_t r = token.firstRange; r < token.firstRange + token.rangeCount && !plainLetter; ++r)
            plainLetter = m_ranges[r].plain && m_ranges[r].low == unit.base;
        if (token.negated)
            return unit.part == 0 && unit.parts == 1 && !plainLetter && !inSet(token, unit) ? 1 : 0;
        if (unit.part == 0 && inSet(token, unit))
            return unit.parts;
        return plainLetter ? 1 : 0;
    }
    case Kind::AnyRun:
        break;
    }
    return 0;
}

bool LikePattern::matchUnits(const std::vector<Unit>& text) const
{
    // Glob matching with one backtrack point for the last "*": linear for the
    // patterns the searches build (a single run of characters between stars).
    size_t t = 0, k = 0;
    size_t starToken = size_t(-1), starText = 0;
    while (t < text.size()) {
        size_t taken = 0;
        if (k < m_tokens.size() && m_tokens[k].kind == Kind::AnyRun) {
            starToken = k++;
            starText = t;
        } else if (k < m_tokens.size() && (taken = take(m_tokens[k], text[t])) != 0 && t + taken <= text.size()) {
            ++k;
            t += taken;
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
    // Most catalogue text is ASCII: its bytes are matched as they are.
    if (m_bytewise) {
        if (m_shape == Shape::Substring)
            return findBytes(utf8Text);
        if (isAscii(utf8Text))
            return matchAscii(utf8Text);
        return matchFoldedBytes(utf8Text);
    }
    if (m_shape == Shape::Substring) {
        const auto* t = reinterpret_cast<const unsigned char*>(utf8Text.data());
        const size_t n = utf8Text.size();
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
    if (!isAscii(utf8Text))
        return matchDecoded(utf8Text);
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
// notes on the way whether the text is all ASCII; a text that is not is
// searched in its folding.
bool LikePattern::findBytes(std::string_view utf8Text) const
{
    const auto* t = reinterpret_cast<const unsigned char*>(utf8Text.data());
    const size_t n = utf8Text.size();
    const size_t k = m_tokens.size() - 2;
    const AsciiSet& first = m_ascii[1];
    for (size_t start = 0; start < n; ++start) {
        if (t[start] & 0x80)
            return matchFoldedBytes(utf8Text);
        if (first.has(t[start]) && start + k <= n && runAt(t + start))
            return true;
    }
    return false;
}

// The tokens take ASCII letters by their folding only: the folding's bytes
// are matched as they are (a byte beyond ASCII matches no token but a run).
bool LikePattern::matchFoldedBytes(std::string_view utf8Text) const
{
    thread_local std::string text;
    text.clear();
    TextFold::appendFolded(utf8Text, text);
    if (m_shape != Shape::Substring)
        return matchAscii(text);
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    const size_t k = m_tokens.size() - 2;
    const AsciiSet& first = m_ascii[1];
    for (size_t start = 0; start + k <= n; ++start) {
        if (first.has(t[start]) && runAt(t + start))
            return true;
    }
    return false;
}

bool LikePattern::matchDecoded(std::string_view utf8Text) const
{
    thread_local std::vector<Unit> units;
    units.clear();
    bool marks = false;
    const auto add = [&marks](char32_t c) {
        const TextFold::Letters letters = TextFold::letters(c);
        marks = marks || (letters.count == 0 && c >= 0x300);
        const char32_t exact = folded(c);
        for (unsigned char part = 0; part < letters.count; ++part)
            units.push_back(Unit{letters.letter[part], exact, part, letters.count});
    };
    for (size_t i = 0; i < utf8Text.size();) {
        const auto b = static_cast<unsigned char>(utf8Text[i]);
        if (b < 0x80) {
            const char32_t lower = folded(b);
            units.push_back(Unit{lower, lower, 0, 1});
            ++i;
        } else {
            add(Utf8::decode(utf8Text, i));
        }
    }
    // A typed accent meets a text written with combining marks in its composed form.
    if (marks && m_hasExact) {
        units.clear();
        for (const char32_t c : composed(utf8Text))
            add(c);
    }
    return matchUnits(units);
}

} // namespace quelto::catalog
