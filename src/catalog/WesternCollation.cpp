#include "catalog/WesternCollation.h"

#include "catalog/TextKeys.h"
#include "catalog/Utf8.h"

#include <QChar>
#include <array>
#include <vector>

namespace quelto::catalog {
namespace {

constexpr char32_t kBaseTableSize = 0x250; // Latin-1 Supplement and Latin Extended-A/B

struct FoldTables
{
    std::array<char32_t, kBaseTableSize> lower{};
    std::array<char32_t, kBaseTableSize> base{};
    std::array<char32_t, kBaseTableSize> second{}; // second letter of "ß" = "ss", "æ" = "ae", ...

    FoldTables()
    {
        for (char32_t c = 0; c < kBaseTableSize; ++c) {
            const char32_t l = QChar::toLower(c);
            lower[c] = l;
            char32_t b = l;
            const QString d = QChar::decomposition(l);
            if (QChar::decompositionTag(l) == QChar::Canonical && !d.isEmpty())
                b = QChar::toLower(d.at(0).unicode());
            base[c] = b;
        }
        auto pair = [this](char32_t c, char32_t first, char32_t secondLetter) {
            base[c] = first;
            second[c] = secondLetter;
        };
        pair(0xDF, 's', 's');  // ß
        pair(0xE6, 'a', 'e');  // æ
        pair(0xC6, 'a', 'e');  // Æ
        pair(0x153, 'o', 'e'); // œ
        pair(0x152, 'o', 'e'); // Œ
        base[0xF8] = base[0xD8] = 'o';    // ø Ø
        base[0x111] = base[0x110] = 'd';  // đ Đ
        base[0x142] = base[0x141] = 'l';  // ł Ł
        base[0xF0] = base[0xD0] = 'd';    // ð Ð
        base[0xFE] = base[0xDE] = 't';    // þ Þ
    }
};

const FoldTables& tables()
{
    static const FoldTables t;
    return t;
}

inline unsigned char asciiLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

struct Keys
{
    std::vector<char32_t> primary;
    std::vector<char32_t> secondary;
};

void buildKeys(std::string_view s, size_t from, Keys& k)
{
    const FoldTables& t = tables();
    k.primary.clear();
    k.secondary.clear();
    for (size_t i = from; i < s.size();) {
        const char32_t c = Utf8::decode(s, i);
        if (c < kBaseTableSize) {
            k.primary.push_back(t.base[c]);
            if (t.second[c])
                k.primary.push_back(t.second[c]);
            k.secondary.push_back(t.lower[c]);
        } else {
            const char32_t l = QChar::toLower(c);
            k.primary.push_back(l);
            k.secondary.push_back(l);
        }
    }
}

int compareSequences(const std::vector<char32_t>& a, const std::vector<char32_t>& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace

int WesternCollation::compareUtf8(std::string_view a, std::string_view b)
{
    // Runs of digits compare by their value (TextKeys::orderKey).
    if (TextKeys::holdsDigit(a) || TextKeys::holdsDigit(b)) {
        thread_local std::string ka, kb;
        ka.clear();
        kb.clear();
        TextKeys::appendOrderKey(a, ka);
        TextKeys::appendOrderKey(b, kb);
        const int c = ka.compare(kb);
        return (c > 0) - (c < 0);
    }
    // ASCII prefix: case folding alone decides; identical folded prefixes are
    // equal on every level, so the slow path can start behind them.
    size_t i = 0;
    const size_t n = std::min(a.size(), b.size());
    for (; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if ((ca | cb) & 0x80)
            break;
        const unsigned char la = asciiLower(ca), lb = asciiLower(cb);
        if (la != lb)
            return la < lb ? -1 : 1;
    }
    if (i == n && (i == a.size() || i == b.size())) {
        if (a.size() == b.size())
            return 0;
        return a.size() < b.size() ? -1 : 1;
    }
    thread_local Keys ka, kb;
    buildKeys(a, i, ka);
    buildKeys(b, i, kb);
    if (const int p = compareSequences(ka.primary, kb.primary))
        return p;
    return compareSequences(ka.secondary, kb.secondary);
}

int WesternCollation::compare(const QString& a, const QString& b)
{
    const QByteArray ua = a.toUtf8(), ub = b.toUtf8();
    return compareUtf8({ua.constData(), size_t(ua.size())}, {ub.constData(), size_t(ub.size())});
}

char32_t WesternCollation::foldCase(char32_t c)
{
    if (c < 0x80)
        return asciiLower(static_cast<unsigned char>(c));
    if (c < kBaseTableSize)
        return tables().lower[c];
    return QChar::toLower(c);
}

char32_t WesternCollation::baseLetter(char32_t c)
{
    if (c < 0x80)
        return asciiLower(static_cast<unsigned char>(c));
    if (c < kBaseTableSize)
        return tables().base[c];
    return QChar::toLower(c);
}

char32_t WesternCollation::secondLetter(char32_t c) { return c < kBaseTableSize ? tables().second[c] : 0; }

} // namespace quelto::catalog
