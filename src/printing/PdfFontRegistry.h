#pragma once

#include "printing/TrueTypeSubset.h"

#include <QByteArray>
#include <QRawFont>
#include <QString>
#include <map>
#include <mutex>
#include <deque>

namespace quelto::printing {

// The glyphs of one font a document shows: each glyph's advance in
// thousandths of the font size and the text it stands for.
struct GlyphUse
{
    int width = 0; // whole, as Qt's writer has them: readers lay text out alike
    QString text;
};
using FontGlyphs = std::map<quint32, GlyphUse>;
// By the font's number in the registry.
using GlyphUsage = std::map<int, FontGlyphs>;

// The fonts a directly written PDF document embeds, each numbered once
// whichever thread meets it first. A font's tables are read from the raw font
// that thread holds (raw fonts stay on the thread that made them).
class PdfFontRegistry
{
public:
    struct Font
    {
        QString key;
        QByteArray name; // PostScript-like, without spaces
        TrueTypeSubset::Tables tables;
        bool trueType = false; // has outlines in a glyf table; else CFF
        int unitsPerEm = 1000;
        int ascent = 0, descent = 0; // thousandths of the size
        int bbox[4] = {0, 0, 0, 0};
    };

    // The number of the font; false when it cannot be embedded.
    int fontId(const QRawFont& font);
    const Font& font(int id) const;

    // Adds the glyphs of one thread's pages to another's.
    static void merge(GlyphUsage& into, const GlyphUsage& from);

private:
    mutable std::mutex m_mutex;
    std::map<QString, int> m_ids;
    std::deque<Font> m_fonts; // stable addresses
};

} // namespace quelto::printing
