#include "catalog/TextFold.h"

#include "catalog/Utf8.h"
#include "catalog/WesternCollation.h"

#include <QChar>
#include <QList>
#include <vector>

namespace quelto::catalog {
namespace {

using Letters = TextFold::Letters;

// Letters with no decomposition that a reader takes for plain ones.
bool spelledOut(char32_t folded, Letters& out)
{
    auto set = [&out](std::u32string_view s) {
        out.count = static_cast<unsigned char>(s.size());
        for (size_t i = 0; i < s.size(); ++i)
            out.letter[i] = s[i];
        return true;
    };
    switch (folded) {
    case U'œ': return set(U"oe");
    case U'æ': return set(U"ae");
    case U'ß': return set(U"ss");
    case U'ø': return set(U"o");
    case U'đ': return set(U"d");
    case U'ð': return set(U"d");
    case U'ł': return set(U"l");
    case U'þ': return set(U"th");
    case U'ı': return set(U"i");
    case U'ħ': return set(U"h");
    case U'ŀ': return set(U"l");
    default: return false;
    }
}

void append(Letters& out, char32_t c, bool& tooLong)
{
    if (out.count == 3) {
        tooLong = true;
        return;
    }
    out.letter[out.count++] = c;
}

Letters compute(char32_t c)
{
    const char32_t folded = TextFold::caseFolded(c);
    Letters out{{folded, 0, 0}, 1};
    if (folded < 0x80 || spelledOut(folded, out))
        return out;
    if (QChar::isMark(folded))
        return Letters{{0, 0, 0}, 0};
    // Hangul syllables decompose into their jamo, which are letters of their own.
    if (folded >= 0xAC00 && folded <= 0xD7A3)
        return out;
    if (QChar::decompositionTag(folded) == QChar::NoDecomposition)
        return out;
    const QString decomposed = QString::fromUcs4(&folded, 1).normalized(QString::NormalizationForm_KD);
    Letters spelled{{0, 0, 0}, 0};
    bool tooLong = false;
    for (const char32_t d : decomposed.toUcs4()) {
        if (QChar::isMark(d))
            continue;
        const char32_t f = TextFold::caseFolded(d);
        Letters pair{{0, 0, 0}, 0};
        if (spelledOut(f, pair)) {
            for (unsigned char i = 0; i < pair.count; ++i)
                append(spelled, pair.letter[i], tooLong);
        } else {
            append(spelled, f, tooLong);
        }
    }
    if (tooLong || spelled.count == 0)
        return out;
    return spelled;
}

struct BmpTable
{
    std::vector<Letters> entries;
    BmpTable() : entries(0x10000)
    {
        for (char32_t c = 0; c < 0x10000; ++c)
            entries[c] = (c >= 0xD800 && c <= 0xDFFF) ? Letters{{c, 0, 0}, 1} : compute(c);
    }
};

const BmpTable& bmp()
{
    static const BmpTable table;
    return table;
}

} // namespace

char32_t TextFold::caseFolded(char32_t c)
{
    if (c < 0x80)
        return (c >= U'A' && c <= U'Z') ? c + 32 : c;
    if (c == 0x130) // "İ": its lower case is "i" with a combining dot
        return U'i';
    return QChar::toCaseFolded(WesternCollation::foldCase(c));
}

TextFold::Letters TextFold::letters(char32_t c)
{
    if (c < 0x80)
        return Letters{{caseFolded(c), 0, 0}, 1};
    if (c < 0x10000)
        return bmp().entries[c];
    return compute(c);
}

bool TextFold::isPlain(char32_t folded)
{
    const Letters l = letters(folded);
    return l.count == 1 && l.letter[0] == folded;
}

void TextFold::appendFolded(std::string_view utf8, std::string& out)
{
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += (b >= 'A' && b <= 'Z') ? char(b + 32) : char(b);
            ++i;
            continue;
        }
        const Letters l = letters(Utf8::decode(utf8, i));
        for (unsigned char k = 0; k < l.count; ++k)
            Utf8::encode(l.letter[k], out);
    }
}

QString TextFold::folded(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    std::string out;
    out.reserve(size_t(utf8.size()));
    appendFolded({utf8.constData(), size_t(utf8.size())}, out);
    return QString::fromUtf8(out.data(), qsizetype(out.size()));
}

} // namespace quelto::catalog
