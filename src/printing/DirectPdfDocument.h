#pragma once

#include "printing/PdfFontRegistry.h"
#include "printing/PdfPageWriter.h"

#include <QByteArray>
#include <QPageLayout>
#include <QString>
#include <map>
#include <vector>

class QIODevice;

namespace quelto::printing {

// Writes a PDF document's objects to a device as its pages come, in order:
// each page's content, images and page object at once, then the fonts with
// the glyphs the pages showed, the page tree, the catalogue and the cross
// reference table.
class DirectPdfDocument
{
public:
    DirectPdfDocument(QIODevice& out, const QPageLayout& layout, const QString& title);

    // False once the device failed to take a write.
    bool addPage(const PdfPageContent& page);
    // Ends the document; returns why it failed, empty when it did not.
    QString finish(const PdfFontRegistry& fonts, const GlyphUsage& usage);

    int pageCount() const { return int(m_pages.size()); }

private:
    int reserve();
    void begin(int object);
    void write(const QByteArray& data);
    void stream(int object, const QByteArray& dictionary, const QByteArray& data);
    int fontObject(int id);
    void writeFont(const PdfFontRegistry::Font& font, int object, const FontGlyphs& glyphs);
    static QByteArray toUnicode(const FontGlyphs& glyphs);
    static QByteArray pdfString(const QString& text);

    QIODevice& m_out;
    const QString m_title;
    QByteArray m_mediaBox;
    qint64 m_at = 0;
    bool m_failed = false;
    std::vector<qint64> m_offsets; // by object number; 0: not written yet
    std::vector<int> m_pages;
    std::map<int, int> m_fontObjects; // registry number -> object
    int m_catalog, m_pageTree, m_info;
};

} // namespace quelto::printing
