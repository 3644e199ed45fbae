#pragma once

#include <QByteArray>
#include <QRawFont>
#include <QString>
#include <unordered_map>
#include <vector>

namespace quelto::printing {

// A font's glyphs, advances and kerning pairs for text that needs no shaping,
// looked up as characters turn up and kept: asking the font engine for a
// text's advances loads its glyphs again each time. Advances and kerning are
// in thousandths of the size. One table per thread.
class GlyphTable
{
public:
    static constexpr quint16 Unknown = 0xFFFF;

    explicit GlyphTable(const QRawFont& font);

    const QRawFont& font() const { return m_raw; } // at 1000 pixels
    bool isValid() const { return m_raw.isValid(); }

    // The glyph of each character when every one is drawn by its own glyph of
    // this font, without shaping (see needsNoShaping); false when not.
    bool glyphsOf(const QString& text, std::vector<quint16>& glyphs);
    // Whether a glyph's advance was looked up before this call.
    float advance(quint16 glyph, bool* fresh = nullptr);
    // What the pair's advance changes by; 0 for most.
    float kerning(quint16 left, quint16 right) const
    {
        if (m_kerning.empty())
            return 0;
        const auto it = m_kerning.find(quint32(left) << 16 | right);
        return it == m_kerning.end() ? 0 : it->second;
    }
    // The advance of glyphs as laid out, kerning included.
    double width(const std::vector<quint16>& glyphs);

    // Characters drawn one glyph each, in the order they come: Latin, Greek,
    // Cyrillic and common punctuation, no marks or controls.
    static bool needsNoShaping(const QString& text);

private:
    QRawFont m_raw;
    std::vector<quint16> m_glyphs; // by character; 0: none
    std::vector<float> m_advances; // by glyph; negative: not looked up
    std::unordered_map<quint32, float> m_kerning;
};

} // namespace quelto::printing
