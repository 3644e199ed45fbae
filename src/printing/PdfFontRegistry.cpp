#include "printing/PdfFontRegistry.h"

#include <QtEndian>

namespace quelto::printing {
namespace {

qint16 s16(const QByteArray& data, qsizetype at)
{
    return at + 2 <= data.size() ? qFromBigEndian<qint16>(data.constData() + at) : 0;
}

QString keyOf(const QRawFont& font)
{
    return font.familyName() + QLatin1Char('|') + font.styleName() + QLatin1Char('|') +
           QString::number(font.weight()) + QLatin1Char('|') + QString::number(int(font.style()));
}

} // namespace

int PdfFontRegistry::fontId(const QRawFont& raw)
{
    const QString key = keyOf(raw);
    std::lock_guard lock(m_mutex);
    if (auto it = m_ids.find(key); it != m_ids.end())
        return it->second;
    Font font;
    font.key = key;
    for (const QByteArray& tag : TrueTypeSubset::tableTags()) {
        const QByteArray table = raw.fontTable(tag.constData());
        if (!table.isEmpty())
            font.tables.insert(tag, table);
    }
    const QByteArray head = font.tables.value("head");
    const QByteArray hhea = font.tables.value("hhea");
    font.trueType = font.tables.contains("glyf") && font.tables.contains("loca");
    const bool usable = head.size() >= 54 && hhea.size() >= 8 && (font.trueType || font.tables.contains("CFF "));
    int id = -1;
    if (usable) {
        font.unitsPerEm = qMax(16, int(quint16(s16(head, 18))));
        auto scaled = [&font](int units) { return int(qRound(units * 1000.0 / font.unitsPerEm)); };
        for (int i = 0; i < 4; ++i)
            font.bbox[i] = scaled(s16(head, 36 + 2 * i));
        font.ascent = scaled(s16(hhea, 4));
        font.descent = scaled(s16(hhea, 6));
        QString name = raw.familyName() + QLatin1Char('-') + raw.styleName();
        name.remove(QLatin1Char(' '));
        for (QChar c : std::as_const(name)) {
            if (c.unicode() > 32 && c.unicode() < 127 && !QStringLiteral("()<>[]{}/%#").contains(c))
                font.name.append(char(c.unicode()));
        }
        if (font.name.isEmpty())
            font.name = "Font";
        id = int(m_fonts.size());
        m_fonts.push_back(std::move(font));
    }
    m_ids.emplace(key, id);
    return id;
}

const PdfFontRegistry::Font& PdfFontRegistry::font(int id) const
{
    std::lock_guard lock(m_mutex);
    return m_fonts.at(size_t(id));
}

void PdfFontRegistry::merge(GlyphUsage& into, const GlyphUsage& from)
{
    for (const auto& [id, glyphs] : from) {
        FontGlyphs& target = into[id];
        for (const auto& [glyph, use] : glyphs) {
            auto it = target.find(glyph);
            if (it == target.end())
                target.emplace(glyph, use);
            else if (it->second.text.isEmpty())
                it->second.text = use.text;
        }
    }
}

} // namespace quelto::printing
