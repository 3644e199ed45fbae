#include "weblookup/HtmlEntities.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace quelto::weblookup {
namespace {

struct NamedEntity
{
    const char* name;
    char16_t code;
};

// Sorted by name (byte order), for a binary search.
constexpr NamedEntity namedEntities[] = {
    {"AElig", 0x00C6},
    {"Aacute", 0x00C1},
    {"Acirc", 0x00C2},
    {"Agrave", 0x00C0},
    {"Aring", 0x00C5},
    {"Atilde", 0x00C3},
    {"Auml", 0x00C4},
    {"Ccedil", 0x00C7},
    {"Dagger", 0x2021},
    {"ETH", 0x00D0},
    {"Eacute", 0x00C9},
    {"Ecirc", 0x00CA},
    {"Egrave", 0x00C8},
    {"Euml", 0x00CB},
    {"Iacute", 0x00CD},
    {"Icirc", 0x00CE},
    {"Igrave", 0x00CC},
    {"Iuml", 0x00CF},
    {"Ntilde", 0x00D1},
    {"OElig", 0x0152},
    {"Oacute", 0x00D3},
    {"Ocirc", 0x00D4},
    {"Ograve", 0x00D2},
    {"Oslash", 0x00D8},
    {"Otilde", 0x00D5},
    {"Ouml", 0x00D6},
    {"Scaron", 0x0160},
    {"THORN", 0x00DE},
    {"Uacute", 0x00DA},
    {"Ucirc", 0x00DB},
    {"Ugrave", 0x00D9},
    {"Uuml", 0x00DC},
    {"Yacute", 0x00DD},
    {"Yuml", 0x0178},
    {"aacute", 0x00E1},
    {"acirc", 0x00E2},
    {"acute", 0x00B4},
    {"aelig", 0x00E6},
    {"agrave", 0x00E0},
    {"amp", 0x0026},
    {"apos", 0x0027},
    {"aring", 0x00E5},
    {"atilde", 0x00E3},
    {"auml", 0x00E4},
    {"bdquo", 0x201E},
    {"brvbar", 0x00A6},
    {"bull", 0x2022},
    {"ccedil", 0x00E7},
    {"cedil", 0x00B8},
    {"cent", 0x00A2},
    {"circ", 0x02C6},
    {"copy", 0x00A9},
    {"curren", 0x00A4},
    {"dagger", 0x2020},
    {"deg", 0x00B0},
    {"divide", 0x00F7},
    {"eacute", 0x00E9},
    {"ecirc", 0x00EA},
    {"egrave", 0x00E8},
    {"emsp", 0x2003},
    {"ensp", 0x2002},
    {"eth", 0x00F0},
    {"euml", 0x00EB},
    {"euro", 0x20AC},
    {"frac12", 0x00BD},
    {"frac14", 0x00BC},
    {"frac34", 0x00BE},
    {"gt", 0x003E},
    {"hellip", 0x2026},
    {"iacute", 0x00ED},
    {"icirc", 0x00EE},
    {"iexcl", 0x00A1},
    {"igrave", 0x00EC},
    {"iquest", 0x00BF},
    {"iuml", 0x00EF},
    {"laquo", 0x00AB},
    {"ldquo", 0x201C},
    {"lrm", 0x200E},
    {"lsaquo", 0x2039},
    {"lsquo", 0x2018},
    {"lt", 0x003C},
    {"macr", 0x00AF},
    {"mdash", 0x2014},
    {"micro", 0x00B5},
    {"middot", 0x00B7},
    {"nbsp", 0x00A0},
    {"ndash", 0x2013},
    {"not", 0x00AC},
    {"ntilde", 0x00F1},
    {"oacute", 0x00F3},
    {"ocirc", 0x00F4},
    {"oelig", 0x0153},
    {"ograve", 0x00F2},
    {"ordf", 0x00AA},
    {"ordm", 0x00BA},
    {"oslash", 0x00F8},
    {"otilde", 0x00F5},
    {"ouml", 0x00F6},
    {"para", 0x00B6},
    {"permil", 0x2030},
    {"plusmn", 0x00B1},
    {"pound", 0x00A3},
    {"prime", 0x2032},
    {"quot", 0x0022},
    {"raquo", 0x00BB},
    {"rdquo", 0x201D},
    {"reg", 0x00AE},
    {"rlm", 0x200F},
    {"rsaquo", 0x203A},
    {"rsquo", 0x2019},
    {"sbquo", 0x201A},
    {"scaron", 0x0161},
    {"sect", 0x00A7},
    {"shy", 0x00AD},
    {"sup1", 0x00B9},
    {"sup2", 0x00B2},
    {"sup3", 0x00B3},
    {"szlig", 0x00DF},
    {"thinsp", 0x2009},
    {"thorn", 0x00FE},
    {"tilde", 0x02DC},
    {"times", 0x00D7},
    {"trade", 0x2122},
    {"uacute", 0x00FA},
    {"ucirc", 0x00FB},
    {"ugrave", 0x00F9},
    {"uml", 0x00A8},
    {"uuml", 0x00FC},
    {"yacute", 0x00FD},
    {"yen", 0x00A5},
    {"yuml", 0x00FF},
    {"zwj", 0x200D},
    {"zwnj", 0x200C}};

bool isAsciiAlnum(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// The character of a numeric reference's digits ("39", "x27"), or 0.
char32_t numericReference(QStringView digits)
{
    bool ok = false;
    const bool hex = digits.startsWith(u'x') || digits.startsWith(u'X');
    const QStringView number = hex ? digits.mid(1) : digits;
    if (number.isEmpty() || number.size() > 8)
        return 0;
    const uint code = number.toUInt(&ok, hex ? 16 : 10);
    if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return char32_t(code);
}

char16_t namedReference(QStringView name)
{
    if (name.size() > 10)
        return 0;
    const QByteArray latin = name.toLatin1();
    const auto* end = std::end(namedEntities);
    const auto* at = std::lower_bound(std::begin(namedEntities), end, latin, [](const NamedEntity& e, const QByteArray& n) {
        return std::strcmp(e.name, n.constData()) < 0;
    });
    return at != end && latin == at->name ? at->code : 0;
}

} // namespace

QString decodeHtmlEntities(QStringView text)
{
    if (!text.contains(u'&'))
        return text.toString();
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c != u'&') {
            out.append(c);
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        const bool numeric = end < text.size() && text[end] == u'#';
        if (numeric)
            ++end;
        while (end < text.size() && end - i < 12 && isAsciiAlnum(text[end]))
            ++end;
        const QStringView body = text.mid(i + 1 + (numeric ? 1 : 0), end - i - 1 - (numeric ? 1 : 0));
        const bool closed = end < text.size() && text[end] == u';';
        char32_t code = 0;
        if (numeric)
            code = numericReference(body);
        else if (closed)
            code = namedReference(body);
        if (code == 0) {
            out.append(c);
            ++i;
            continue;
        }
        out.append(QString::fromUcs4(&code, 1));
        i = end + (closed ? 1 : 0);
    }
    return out;
}

} // namespace quelto::weblookup
