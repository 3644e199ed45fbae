#pragma once

#include <QByteArray>
#include <QMap>
#include <set>

namespace quelto::printing {

// A TrueType font program cut down to the glyphs a document shows: every
// glyph keeps its number (the document refers to glyphs by number), the
// outlines of the others are left empty. Only the tables a PDF reader needs to
// draw glyphs by number are kept.
class TrueTypeSubset
{
public:
    // The font's tables by tag ("glyf", "head", ...).
    using Tables = QMap<QByteArray, QByteArray>;

    // The tables a TrueType font program embedded in a PDF file needs.
    static const QList<QByteArray>& tableTags();

    // The font file holding only glyphs (and the glyphs their composites are
    // made of, and glyph 0); empty when the tables are not a TrueType font
    // with outlines.
    static QByteArray build(const Tables& tables, const std::set<quint32>& glyphs);
    // The whole font as a file of the tables given, as they are.
    static QByteArray assemble(const Tables& tables);
};

} // namespace quelto::printing
