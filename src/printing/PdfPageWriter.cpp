#include "printing/PdfPageWriter.h"

#include "printing/PageFitter.h"
#include "printing/TextMetrics.h"

#include <QGlyphRun>
#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainterPath>
#include <QTextLayout>
#include <QtEndian>
#include <cmath>

namespace quelto::printing {
namespace {

constexpr double PointsPerMm = 72.0 / 25.4;

// Fixed notation, at most two decimals, no trailing zeros.
void appendNumber(QByteArray& out, double value)
{
    long long hundredths = std::llround(value * 100);
    if (hundredths < 0) {
        out.append('-');
        hundredths = -hundredths;
    }
    out.append(QByteArray::number(hundredths / 100));
    const int fraction = int(hundredths % 100);
    if (fraction != 0) {
        out.append('.');
        out.append(char('0' + fraction / 10));
        if (fraction % 10)
            out.append(char('0' + fraction % 10));
    }
}

void appendGlyph(QByteArray& out, quint32 glyph)
{
    static const char hex[] = "0123456789ABCDEF";
    const char digits[4] = {hex[(glyph >> 12) & 15], hex[(glyph >> 8) & 15], hex[(glyph >> 4) & 15], hex[glyph & 15]};
    out.append(digits, 4);
}

bool hasRightToLeft(const QString& text)
{
    for (QChar c : text) {
        const QChar::Direction d = c.direction();
        if (d == QChar::DirR || d == QChar::DirAL || d == QChar::DirRLE || d == QChar::DirRLO || d == QChar::DirRLI)
            return true;
    }
    return false;
}

QByteArray compressed(const QByteArray& data)
{
    // qCompress writes zlib's format after a four-byte length.
    return qCompress(data, PdfPageWriter::CompressionLevel).mid(4);
}

} // namespace

PdfPageWriter::PdfPageWriter(const QPageLayout& layout, PdfFontRegistry& fonts)
    : m_layout(layout), m_fonts(fonts), m_width(layout.paintRect(QPageLayout::Millimeter).width())
{
    const QRectF paper = layout.fullRect(QPageLayout::Point);
    const QRectF paint = layout.paintRect(QPageLayout::Point);
    m_left = paint.left();
    m_top = paper.height() - paint.top();
}

PdfPageWriter::Face& PdfPageWriter::face(const TextFont& font)
{
    for (Face& f : m_faces) {
        if (f.font == font)
            return f;
    }
    Face f;
    f.font = font;
    f.qfont = QFont(TextMetrics::qfont(font), &TextMetrics::grid());
    const QRawFont raw = QRawFont::fromFont(f.qfont);
    // The painter draws at whole dots: 10 points are 167 dots, not 166.67.
    f.size = raw.pixelSize() * DevicePointsPerDot;
    f.glyphs = std::make_unique<GlyphTable>(raw);
    f.id = f.glyphs->isValid() ? m_fonts.fontId(f.glyphs->font()) : -1;
    f.ascent = TextMetrics::ascent(font);
    m_faces.push_back(std::move(f));
    return m_faces.back();
}

const QRawFont& PdfPageWriter::rawAt1000(int id, const QRawFont& run)
{
    auto it = m_fallbacks.find(id);
    if (it == m_fallbacks.end()) {
        QRawFont raw = run;
        raw.setPixelSize(1000);
        it = m_fallbacks.emplace(id, raw).first;
    }
    return it->second;
}

const std::vector<char16_t>& PdfPageWriter::characterMap(int id, const QRawFont& font)
{
    auto it = m_characterMaps.find(id);
    if (it != m_characterMaps.end())
        return it->second;
    // Each glyph stands for the first character of the Basic Multilingual
    // Plane that the font draws with it, as Qt's writer has it: a shaped
    // glyph (an Arabic letter's joining form) reads as its presentation form.
    QString plane(0xFFFF, Qt::Uninitialized);
    for (int c = 1; c <= 0xFFFF; ++c)
        plane[c - 1] = QChar(QChar::isSurrogate(char32_t(c)) ? char16_t(0x20) : char16_t(c));
    const QList<quint32> glyphs = font.glyphIndexesForString(plane);
    std::vector<char16_t> map;
    for (qsizetype i = 0; i < glyphs.size() && i < plane.size(); ++i) {
        const quint32 glyph = glyphs[i];
        if (glyph == 0 || glyph > 0xFFFF || QChar::isSurrogate(char32_t(i + 1)))
            continue;
        if (map.size() <= glyph)
            map.resize(glyph + 1, 0);
        if (!map[glyph])
            map[glyph] = char16_t(i + 1);
    }
    return m_characterMaps.emplace(id, std::move(map)).first->second;
}

void PdfPageWriter::useFont(int id)
{
    for (int used : m_page.fonts) {
        if (used == id)
            return;
    }
    m_page.fonts.push_back(id);
}

void PdfPageWriter::setFont(int id, double size)
{
    if (id == m_font && size == m_size)
        return;
    m_font = id;
    m_size = size;
    useFont(id);
    m_out += "/F" + QByteArray::number(id) + ' ';
    appendNumber(m_out, size);
    m_out += " Tf\n";
}

PdfPageContent PdfPageWriter::write(PrintPage page)
{
    PageFitter::fit(page, m_width);
    m_page = {};
    m_out.clear();
    m_font = -1;
    m_size = 0;

    for (const ImageItem& item : page.images) {
        if (item.image.isNull())
            continue;
        const QByteArray name = "/Im" + QByteArray::number(m_page.images.size());
        m_page.images.push_back(image(item.image));
        m_out += "q ";
        appendNumber(m_out, item.width * PointsPerMm);
        m_out += " 0 0 ";
        appendNumber(m_out, item.height * PointsPerMm);
        m_out += ' ';
        appendNumber(m_out, m_left + item.x * PointsPerMm);
        m_out += ' ';
        appendNumber(m_out, m_top - (item.y + item.height) * PointsPerMm);
        m_out += " cm " + name + " Do Q\n";
    }
    if (!page.lines.empty()) {
        // Qt's cosmetic pen: the thinnest line the device draws.
        m_out += "0 w 2 J 2 j\n";
        for (const LineItem& line : page.lines) {
            appendNumber(m_out, m_left + line.x1 * PointsPerMm);
            m_out += ' ';
            appendNumber(m_out, m_top - line.y1 * PointsPerMm);
            m_out += " m ";
            appendNumber(m_out, m_left + line.x2 * PointsPerMm);
            m_out += ' ';
            appendNumber(m_out, m_top - line.y2 * PointsPerMm);
            m_out += " l S\n";
        }
    }
    for (const TextItem& text : page.texts) {
        if (text.text.isEmpty())
            continue;
        Face& f = face(text.font);
        const double x = m_left + text.x * PointsPerMm;
        const double y = m_top - (text.y + f.ascent) * PointsPerMm;
        if (f.id < 0 || !GlyphTable::needsNoShaping(text.text) || !writeSimple(text, f, x, y))
            writeShaped(text, f, x, y);
    }
    m_page.content = compressed(m_out);
    return std::move(m_page);
}

bool PdfPageWriter::writeSimple(const TextItem& text, Face& f, double x, double y)
{
    GlyphTable& table = *f.glyphs;
    if (!table.glyphsOf(text.text, m_glyphs))
        return false;
    FontGlyphs* used = nullptr;
    for (size_t i = 0; i < m_glyphs.size(); ++i) {
        bool fresh = false;
        const float advance = table.advance(m_glyphs[i], &fresh);
        if (fresh) {
            if (!used)
                used = &m_usage[f.id];
            GlyphUse& use = (*used)[m_glyphs[i]];
            use.width = int(std::lround(advance));
            use.text = text.text.at(qsizetype(i));
        }
    }
    setFont(f.id, f.size);
    m_out += "BT ";
    appendNumber(m_out, x);
    m_out += ' ';
    appendNumber(m_out, y);
    m_out += " Td [<";
    for (size_t i = 0; i < m_glyphs.size(); ++i) {
        const quint16 glyph = m_glyphs[i];
        appendGlyph(m_out, glyph);
        if (i + 1 == m_glyphs.size())
            continue;
        // The reader advances by the glyph's whole width; kerning takes some back.
        const float kerning = table.kerning(glyph, m_glyphs[i + 1]);
        if (kerning == 0)
            continue;
        const float advance = table.advance(glyph);
        const long adjust = std::lround(advance) - std::lround(advance + kerning);
        if (adjust != 0)
            m_out += '>' + QByteArray::number(qint64(adjust)) + '<';
    }
    m_out += ">] TJ ET\n";
    return true;
}

void PdfPageWriter::writeShaped(const TextItem& text, const Face& f, double x, double y)
{
    QTextLayout layout(text.text, f.qfont, &TextMetrics::grid());
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (!line.isValid()) {
        layout.endLayout();
        return;
    }
    line.setLineWidth(1e7);
    layout.endLayout();
    const double ascent = line.ascent();

    // The text as it is read, UTF-16 big-endian with its byte order mark.
    // Readers lay right-to-left text out from its glyphs' order, which is
    // the visual one, so such text is left to the glyphs' own characters.
    const bool actual = !hasRightToLeft(text.text);
    if (actual) {
        m_out += "/Span <</ActualText <FEFF";
        for (QChar c : text.text)
            appendGlyph(m_out, c.unicode());
        m_out += ">>> BDC\n";
    }
    for (const QGlyphRun& run : line.glyphRuns()) {
        const QRawFont raw = run.rawFont();
        const int id = raw.isValid() ? m_fonts.fontId(raw) : -1;
        if (id < 0) {
            writeOutlines(run, x, y - ascent * DevicePointsPerDot);
            continue;
        }
        const QRawFont& design = rawAt1000(id, raw);
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        FontGlyphs& used = m_usage[id];
        QList<quint32> fresh;
        for (quint32 glyph : glyphs) {
            if (glyph <= 0xFFFF && !used.count(glyph))
                fresh.append(glyph);
        }
        if (!fresh.isEmpty()) {
            const QList<QPointF> plain = design.advancesForGlyphIndexes(fresh, QRawFont::UseDesignMetrics);
            const std::vector<char16_t>& characters = characterMap(id, design);
            for (qsizetype i = 0; i < fresh.size(); ++i) {
                GlyphUse& use = used[fresh[i]];
                use.width = int(std::lround(plain[i].x()));
                if (fresh[i] < characters.size() && characters[fresh[i]])
                    use.text = QChar(characters[fresh[i]]);
            }
        }
        setFont(id, raw.pixelSize() * DevicePointsPerDot);
        m_out += "BT\n";
        for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i) {
            if (glyphs[i] > 0xFFFF)
                continue;
            m_out += "1 0 0 1 ";
            appendNumber(m_out, x + positions[i].x() * DevicePointsPerDot);
            m_out += ' ';
            appendNumber(m_out, y - (positions[i].y() - ascent) * DevicePointsPerDot);
            m_out += " Tm <";
            appendGlyph(m_out, glyphs[i]);
            m_out += "> Tj\n";
        }
        m_out += "ET\n";
    }
    if (actual)
        m_out += "EMC\n";
}

void PdfPageWriter::writeOutlines(const QGlyphRun& run, double x, double top)
{
    // A font that cannot be embedded (not TrueType or OpenType) is drawn as
    // filled outlines; its text is still in the span around it.
    const QRawFont raw = run.rawFont();
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    auto point = [&](const QPointF& p) {
        appendNumber(m_out, x + p.x() * DevicePointsPerDot);
        m_out += ' ';
        appendNumber(m_out, top - p.y() * DevicePointsPerDot);
        m_out += ' ';
    };
    for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i) {
        const QPainterPath path = raw.pathForGlyph(glyphs[i]).translated(positions[i]);
        for (int e = 0; e < path.elementCount(); ++e) {
            const QPainterPath::Element element = path.elementAt(e);
            if (element.type == QPainterPath::CurveToElement && e + 2 < path.elementCount()) {
                point(element);
                point(path.elementAt(e + 1));
                point(path.elementAt(e + 2));
                m_out += "c\n";
                e += 2;
            } else {
                point(element);
                m_out += element.type == QPainterPath::MoveToElement ? "m\n" : "l\n";
            }
        }
        if (path.elementCount() > 0)
            m_out += "f\n";
    }
}

PdfImage PdfPageWriter::image(const QImage& source)
{
    PdfImage out;
    out.width = source.width();
    out.height = source.height();
    out.gray = source.isGrayscale() && !source.hasAlphaChannel();
    const QImage image = source.convertToFormat(out.gray ? QImage::Format_Grayscale8
                                                 : source.hasAlphaChannel() ? QImage::Format_RGBA8888
                                                                            : QImage::Format_RGB888);
    const int channels = out.gray ? 1 : source.hasAlphaChannel() ? 4 : 3;
    QByteArray samples, alpha;
    samples.reserve(qsizetype(out.width) * out.height * qMin(channels, 3));
    for (int row = 0; row < image.height(); ++row) {
        const char* line = reinterpret_cast<const char*>(image.constScanLine(row));
        if (channels == 4) {
            for (int col = 0; col < image.width(); ++col) {
                samples.append(line + col * 4, 3);
                alpha.append(line[col * 4 + 3]);
            }
        } else {
            samples.append(line, qsizetype(image.width()) * channels);
        }
    }
    out.samples = compressed(samples);
    if (!alpha.isEmpty()) {
        out.alpha = compressed(alpha);
        return out;
    }
    // A photograph (a cover) is far smaller as JPEG, which Qt's writer also
    // uses, at the same quality, when it comes out smaller.
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(94);
    if (buffer.open(QIODevice::WriteOnly) && writer.write(image) && jpeg.size() < out.samples.size()) {
        out.samples = jpeg;
        out.jpeg = true;
    }
    return out;
}

} // namespace quelto::printing
