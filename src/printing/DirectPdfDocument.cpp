#include "printing/DirectPdfDocument.h"

#include "printing/TrueTypeSubset.h"

#include <QDateTime>
#include <QIODevice>
#include <set>

namespace quelto::printing {

DirectPdfDocument::DirectPdfDocument(QIODevice& out, const QPageLayout& layout, const QString& title)
    : m_out(out), m_title(title)
{
    m_offsets.push_back(0); // object 0 is the head of the free list
    m_catalog = reserve();
    m_pageTree = reserve();
    m_info = reserve();
    const QRectF paper = layout.fullRect(QPageLayout::Point);
    m_mediaBox = "[0 0 " + QByteArray::number(paper.width(), 'f', 2) + ' ' +
                 QByteArray::number(paper.height(), 'f', 2) + ']';
    write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
}

int DirectPdfDocument::reserve()
{
    m_offsets.push_back(0);
    return int(m_offsets.size() - 1);
}

void DirectPdfDocument::begin(int object)
{
    m_offsets[size_t(object)] = m_at;
    write(QByteArray::number(object) + " 0 obj\n");
}

void DirectPdfDocument::write(const QByteArray& data)
{
    if (m_failed)
        return;
    if (m_out.write(data) != data.size()) {
        m_failed = true;
        return;
    }
    m_at += data.size();
}

void DirectPdfDocument::stream(int object, const QByteArray& dictionary, const QByteArray& data)
{
    begin(object);
    write("<<" + dictionary + " /Length " + QByteArray::number(data.size()) + ">>\nstream\n");
    write(data);
    write("\nendstream\nendobj\n");
}

int DirectPdfDocument::fontObject(int id)
{
    auto it = m_fontObjects.find(id);
    if (it == m_fontObjects.end())
        it = m_fontObjects.emplace(id, reserve()).first;
    return it->second;
}

bool DirectPdfDocument::addPage(const PdfPageContent& page)
{
    const int content = reserve();
    stream(content, " /Filter /FlateDecode", page.content);
    QByteArray resources = "<<";
    if (!page.fonts.empty()) {
        resources += " /Font <<";
        for (int id : page.fonts)
            resources += " /F" + QByteArray::number(id) + ' ' + QByteArray::number(fontObject(id)) + " 0 R";
        resources += " >>";
    }
    if (!page.images.empty()) {
        resources += " /XObject <<";
        for (size_t i = 0; i < page.images.size(); ++i) {
            const PdfImage& image = page.images[i];
            const QByteArray common = " /Type /XObject /Subtype /Image /Width " + QByteArray::number(image.width) +
                                      " /Height " + QByteArray::number(image.height) + " /BitsPerComponent 8";
            QByteArray mask;
            if (!image.alpha.isEmpty()) {
                const int alpha = reserve();
                stream(alpha, common + " /Filter /FlateDecode /ColorSpace /DeviceGray", image.alpha);
                mask = " /SMask " + QByteArray::number(alpha) + " 0 R";
            }
            const int object = reserve();
            stream(object,
                   common + (image.jpeg ? " /Filter /DCTDecode" : " /Filter /FlateDecode") +
                       (image.gray ? " /ColorSpace /DeviceGray" : " /ColorSpace /DeviceRGB") + mask,
                   image.samples);
            resources += " /Im" + QByteArray::number(qsizetype(i)) + ' ' + QByteArray::number(object) + " 0 R";
        }
        resources += " >>";
    }
    resources += " >>";
    const int object = reserve();
    begin(object);
    write("<< /Type /Page /Parent " + QByteArray::number(m_pageTree) + " 0 R /Contents " +
          QByteArray::number(content) + " 0 R /Resources " + resources + " >>\nendobj\n");
    m_pages.push_back(object);
    return !m_failed;
}

QByteArray DirectPdfDocument::pdfString(const QString& text)
{
    QByteArray out = "<FEFF";
    for (QChar c : text)
        out += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return out + '>';
}

QByteArray DirectPdfDocument::toUnicode(const FontGlyphs& glyphs)
{
    QByteArray map = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                     "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                     "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                     "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    std::vector<std::pair<quint32, QString>> entries;
    for (const auto& [glyph, use] : glyphs) {
        if (!use.text.isEmpty())
            entries.emplace_back(glyph, use.text);
    }
    for (size_t i = 0; i < entries.size(); i += 100) {
        const size_t count = std::min<size_t>(100, entries.size() - i);
        map += QByteArray::number(qsizetype(count)) + " beginbfchar\n";
        for (size_t j = i; j < i + count; ++j) {
            map += '<' + QByteArray::number(entries[j].first, 16).rightJustified(4, '0').toUpper() + "> " +
                   pdfString(entries[j].second).replace("<FEFF", "<") + '\n';
        }
        map += "endbfchar\n";
    }
    return map + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

void DirectPdfDocument::writeFont(const PdfFontRegistry::Font& font, int object, const FontGlyphs& glyphs)
{
    // A subset's name starts with a tag of six capitals, one per font here.
    QByteArray tag;
    for (int i = 0, n = object; i < 6; ++i, n /= 26)
        tag += char('A' + n % 26);
    const QByteArray name = tag + '+' + font.name;

    std::set<quint32> used;
    for (const auto& [glyph, use] : glyphs)
        used.insert(glyph);
    QByteArray program = font.trueType ? TrueTypeSubset::build(font.tables, used) : QByteArray();
    if (program.isEmpty())
        program = TrueTypeSubset::assemble(font.tables);

    const int descendant = reserve();
    const int descriptor = reserve();
    const int file = reserve();
    const int unicode = reserve();

    begin(object);
    write("<< /Type /Font /Subtype /Type0 /BaseFont /" + name + " /Encoding /Identity-H /DescendantFonts [" +
          QByteArray::number(descendant) + " 0 R] /ToUnicode " + QByteArray::number(unicode) + " 0 R >>\nendobj\n");

    QByteArray widths = "[";
    for (auto it = glyphs.begin(); it != glyphs.end();) {
        // Consecutive glyphs share one entry.
        widths += QByteArray::number(it->first) + " [";
        quint32 next = it->first;
        for (; it != glyphs.end() && it->first == next; ++it, ++next)
            widths += QByteArray::number(it->second.width) + ' ';
        widths += "]\n";
    }
    widths += ']';
    begin(descendant);
    write(QByteArray("<< /Type /Font /Subtype ") + (font.trueType ? "/CIDFontType2" : "/CIDFontType0") +
          " /BaseFont /" + name +
          " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor " +
          QByteArray::number(descriptor) + " 0 R /DW 0 /W " + widths +
          (font.trueType ? " /CIDToGIDMap /Identity" : "") + " >>\nendobj\n");

    begin(descriptor);
    write("<< /Type /FontDescriptor /FontName /" + name + " /Flags 4 /FontBBox [" +
          QByteArray::number(font.bbox[0]) + ' ' + QByteArray::number(font.bbox[1]) + ' ' +
          QByteArray::number(font.bbox[2]) + ' ' + QByteArray::number(font.bbox[3]) +
          "] /ItalicAngle 0 /Ascent " + QByteArray::number(font.ascent) + " /Descent " +
          QByteArray::number(font.descent) + " /CapHeight " + QByteArray::number(font.ascent) +
          " /StemV 80 " + (font.trueType ? "/FontFile2 " : "/FontFile3 ") + QByteArray::number(file) +
          " 0 R >>\nendobj\n");

    stream(file,
           " /Filter /FlateDecode" +
               (font.trueType ? " /Length1 " + QByteArray::number(program.size()) : QByteArray(" /Subtype /OpenType")),
           qCompress(program, 6).mid(4));
    stream(unicode, " /Filter /FlateDecode", qCompress(toUnicode(glyphs), 6).mid(4));
}

QString DirectPdfDocument::finish(const PdfFontRegistry& fonts, const GlyphUsage& usage)
{
    if (m_pages.empty())
        return QStringLiteral("No page was painted.");
    for (const auto& [id, object] : m_fontObjects) {
        const auto it = usage.find(id);
        writeFont(fonts.font(id), object, it == usage.end() ? FontGlyphs() : it->second);
    }

    begin(m_pageTree);
    QByteArray kids;
    kids.reserve(qsizetype(m_pages.size()) * 10);
    for (int page : m_pages)
        kids += QByteArray::number(page) + " 0 R\n";
    write("<< /Type /Pages /MediaBox " + m_mediaBox + " /Count " + QByteArray::number(qsizetype(m_pages.size())) +
          " /Kids [\n" + kids + "] >>\nendobj\n");

    begin(m_catalog);
    write("<< /Type /Catalog /Pages " + QByteArray::number(m_pageTree) + " 0 R >>\nendobj\n");

    begin(m_info);
    write("<< /Creator " + pdfString(QStringLiteral("Quelto")) + " /Producer " + pdfString(QStringLiteral("Quelto")) +
          " /Title " + pdfString(m_title) + " /CreationDate (D:" +
          QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddhhmmss")).toLatin1() + "Z) >>\nendobj\n");

    const qint64 xref = m_at;
    QByteArray table = "xref\n0 " + QByteArray::number(qsizetype(m_offsets.size())) + "\n0000000000 65535 f \n";
    table.reserve(qsizetype(m_offsets.size()) * 20 + 64);
    for (size_t i = 1; i < m_offsets.size(); ++i)
        table += QByteArray::number(m_offsets[i]).rightJustified(10, '0') + " 00000 n \n";
    write(table);
    write("trailer\n<< /Size " + QByteArray::number(qsizetype(m_offsets.size())) + " /Root " +
          QByteArray::number(m_catalog) + " 0 R /Info " + QByteArray::number(m_info) + " 0 R >>\nstartxref\n" +
          QByteArray::number(xref) + "\n%%EOF\n");
    if (m_failed)
        return QStringLiteral("Cannot write the document.");
    return {};
}

} // namespace quelto::printing
