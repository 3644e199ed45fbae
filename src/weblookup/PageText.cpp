#include "weblookup/PageText.h"

#include <algorithm>

namespace quelto::weblookup {

namespace {

// eoCast counts anything not found within this many characters as found here.
constexpr qsizetype castNameLimit = 1000;

} // namespace

PageText::PageText(QString text) : m_text(std::move(text)) {}

qsizetype PageText::indexOf(QStringView needle) const
{
    return rest().indexOf(needle, 0, Qt::CaseSensitive);
}

void PageText::advance(qsizetype n)
{
    m_pos += std::clamp<qsizetype>(n, 0, size());
}

void PageText::skipWS()
{
    while (!isEmpty() && isWhiteSpace(m_text.at(m_pos)))
        ++m_pos;
}

void PageText::toWS()
{
    while (!isEmpty() && !isWhiteSpace(m_text.at(m_pos)))
        ++m_pos;
}

void PageText::toEOL()
{
    m_pos += lineLength();
}

qsizetype PageText::lineLength() const
{
    const QStringView s = rest();
    const auto it = std::find_if(s.begin(), s.end(), [](QChar c) { return isLineBreak(c); });
    return it - s.begin();
}

qsizetype PageText::eoCast() const
{
    // Whatever starts at position 1000 or later counts as 1000.
    const QStringView s = rest().left(castNameLimit);
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (isLineBreak(c))
            return i + 1;
        if (c == u'.' && i + 1 < s.size() && s[i + 1] == u'.')
            return i + 1;
    }
    return castNameLimit;
}

void PageText::fillCombo(QStringView marker, ComboField& field)
{
    const qsizetype at = indexOf(marker);
    if (at < 0) {
        field.clear();
        return;
    }
    advance(at + marker.size() + 1);

    bool closeAhead = true; // once no ")" is left, none will be: skip the search
    while (!isEmpty()) {
        const QChar c = front();
        if (c == u'(') {
            const qsizetype close = closeAhead ? indexOf(u")") : -1;
            if (close >= 0)
                advance(close + 1);
            else
                closeAhead = false;
        } else if (!isWhiteSpace(c)) {
            break;
        }
        advance(1);
    }

    field.set(rest().left(lineLength()).toString());
}

} // namespace quelto::weblookup
