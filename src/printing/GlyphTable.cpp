#include "printing/GlyphTable.h"

#include <QtEndian>

namespace quelto::printing {
namespace {

// The pairs of a TrueType kern table's horizontal subtables, as Qt's font
// engine kerns with them.
std::unordered_map<quint32, float> kerningPairs(const QByteArray& table, double unitsPerEm)
{
    std::unordered_map<quint32, float> pairs;
    auto u16 = [&table](qsizetype at) -> quint16 {
        return at + 2 <= table.size() ? qFromBigEndian<quint16>(table.constData() + at) : 0;
    };
    if (table.size() < 4 || u16(0) != 0 || unitsPerEm <= 0)
        return pairs;
    const int count = u16(2);
    qsizetype at = 4;
    for (int t = 0; t < count && at + 6 <= table.size(); ++t) {
        const quint16 length = u16(at + 2);
        const quint16 coverage = u16(at + 4);
        if (coverage == 0x0001) { // horizontal, format 0
            const int n = u16(at + 6);
            for (int i = 0; i < n; ++i) {
                const qsizetype entry = at + 14 + qsizetype(i) * 6;
                if (entry + 6 > table.size())
                    break;
                const quint32 key = quint32(u16(entry)) << 16 | u16(entry + 2);
                pairs.emplace(key, float(qint16(u16(entry + 4)) * 1000.0 / unitsPerEm));
            }
        }
        if (length < 6)
            break;
        at += length;
    }
    return pairs;
}

} // namespace

GlyphTable::GlyphTable(const QRawFont& font) : m_raw(font)
{
    m_raw.setPixelSize(1000);
    m_glyphs.assign(0x10000, Unknown);
    if (m_raw.isValid())
        m_kerning = kerningPairs(m_raw.fontTable("kern"), m_raw.unitsPerEm());
}

bool GlyphTable::glyphsOf(const QString& text, std::vector<quint16>& glyphs)
{
    glyphs.clear();
    for (QChar c : text) {
        quint16& glyph = m_glyphs[c.unicode()];
        if (glyph == Unknown) {
            const QList<quint32> found = m_raw.glyphIndexesForString(QString(c));
            glyph = found.size() == 1 && found[0] < Unknown ? quint16(found[0]) : 0;
        }
        if (glyph == 0)
            return false;
        glyphs.push_back(glyph);
    }
    return true;
}

float GlyphTable::advance(quint16 glyph, bool* fresh)
{
    if (glyph >= m_advances.size())
        m_advances.resize(size_t(glyph) + 1, -1);
    float& advance = m_advances[glyph];
    if (fresh)
        *fresh = advance < 0;
    if (advance < 0) {
        const QList<QPointF> plain = m_raw.advancesForGlyphIndexes(QList<quint32>{glyph}, QRawFont::UseDesignMetrics);
        advance = plain.isEmpty() ? 0 : float(plain[0].x());
    }
    return advance;
}

double GlyphTable::width(const std::vector<quint16>& glyphs)
{
    double sum = 0;
    for (size_t i = 0; i < glyphs.size(); ++i) {
        sum += advance(glyphs[i]);
        if (i + 1 < glyphs.size())
            sum += kerning(glyphs[i], glyphs[i + 1]);
    }
    return sum;
}

bool GlyphTable::needsNoShaping(const QString& text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const bool plain = (u >= 0x20 && u < 0x7F) || (u >= 0xA0 && u < 0x0300 && u != 0xAD) ||
                           (u >= 0x0370 && u < 0x0483) || (u >= 0x048A && u < 0x0530) ||
                           (u >= 0x1E00 && u < 0x2000) || (u >= 0x2010 && u < 0x2028) ||
                           (u >= 0x2030 && u < 0x205F) || (u >= 0x20A0 && u < 0x20C0) ||
                           (u >= 0x2100 && u < 0x2190);
        if (!plain)
            return false;
    }
    return true;
}

} // namespace quelto::printing
