#include "printing/TrueTypeSubset.h"

#include <QtEndian>
#include <vector>

namespace quelto::printing {
namespace {

quint16 u16(const QByteArray& data, qsizetype at)
{
    return at + 2 <= data.size() ? qFromBigEndian<quint16>(data.constData() + at) : 0;
}

quint32 u32(const QByteArray& data, qsizetype at)
{
    return at + 4 <= data.size() ? qFromBigEndian<quint32>(data.constData() + at) : 0;
}

void put16(QByteArray& data, quint16 value)
{
    char bytes[2];
    qToBigEndian(value, bytes);
    data.append(bytes, 2);
}

void put32(QByteArray& data, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    data.append(bytes, 4);
}

quint32 checksum(const QByteArray& table)
{
    quint32 sum = 0;
    const qsizetype words = (table.size() + 3) / 4;
    for (qsizetype i = 0; i < words; ++i) {
        quint32 word = 0;
        for (int b = 0; b < 4; ++b) {
            const qsizetype at = i * 4 + b;
            word = (word << 8) | (at < table.size() ? quint8(table[at]) : 0);
        }
        sum += word;
    }
    return sum;
}

// The glyphs a composite glyph is made of.
void addComponents(const QByteArray& glyph, std::vector<quint32>& out)
{
    if (glyph.size() < 10 || qint16(u16(glyph, 0)) >= 0)
        return;
    qsizetype at = 10;
    for (;;) {
        const quint16 flags = u16(glyph, at);
        out.push_back(u16(glyph, at + 2));
        at += 4 + ((flags & 0x0001) ? 4 : 2);
        if (flags & 0x0008)
            at += 2;
        else if (flags & 0x0040)
            at += 4;
        else if (flags & 0x0080)
            at += 8;
        if (!(flags & 0x0020) || at >= glyph.size())
            return;
    }
}

} // namespace

const QList<QByteArray>& TrueTypeSubset::tableTags()
{
    static const QList<QByteArray> tags = {"cmap", "cvt ", "fpgm", "glyf", "head", "hhea",
                                           "hmtx", "loca", "maxp", "prep", "CFF ", "OS/2", "post", "name"};
    return tags;
}

QByteArray TrueTypeSubset::build(const Tables& tables, const std::set<quint32>& glyphs)
{
    const QByteArray head = tables.value("head");
    const QByteArray loca = tables.value("loca");
    const QByteArray glyf = tables.value("glyf");
    const QByteArray maxp = tables.value("maxp");
    if (head.size() < 54 || maxp.size() < 6 || glyf.isEmpty() || loca.isEmpty() || !tables.contains("hhea") ||
        !tables.contains("hmtx"))
        return {};
    const quint32 count = u16(maxp, 4);
    const bool longOffsets = u16(head, 50) == 1;
    if (loca.size() < qsizetype(count + 1) * (longOffsets ? 4 : 2))
        return {};
    auto offset = [&](quint32 glyph) -> quint32 {
        return longOffsets ? u32(loca, qsizetype(glyph) * 4) : quint32(u16(loca, qsizetype(glyph) * 2)) * 2;
    };
    auto outline = [&](quint32 glyph) -> QByteArray {
        const quint32 begin = offset(glyph), end = offset(glyph + 1);
        if (glyph >= count || end <= begin || end > quint32(glyf.size()))
            return {};
        return glyf.mid(begin, end - begin);
    };

    std::vector<bool> kept(count, false);
    std::vector<quint32> pending(glyphs.begin(), glyphs.end());
    pending.push_back(0);
    while (!pending.empty()) {
        const quint32 glyph = pending.back();
        pending.pop_back();
        if (glyph >= count || kept[glyph])
            continue;
        kept[glyph] = true;
        addComponents(outline(glyph), pending);
    }

    // Glyphs past the last one kept are cut off, with their metrics.
    quint32 keptCount = count;
    while (keptCount > 1 && !kept[keptCount - 1])
        --keptCount;
    QByteArray newGlyf;
    QByteArray newLoca;
    newLoca.reserve(qsizetype(keptCount + 1) * 4);
    for (quint32 glyph = 0; glyph < keptCount; ++glyph) {
        put32(newLoca, quint32(newGlyf.size()));
        if (kept[glyph]) {
            newGlyf += outline(glyph);
            while (newGlyf.size() % 4)
                newGlyf.append('\0');
        }
    }
    put32(newLoca, quint32(newGlyf.size()));

    Tables out;
    for (const char* tag : {"cvt ", "fpgm", "prep"}) {
        if (tables.contains(tag))
            out.insert(tag, tables.value(tag));
    }
    QByteArray hhea = tables.value("hhea");
    const QByteArray hmtx = tables.value("hmtx");
    const quint32 metrics = u16(hhea, 34);
    if (hhea.size() < 36 || metrics == 0 || hmtx.size() < qsizetype(metrics) * 4)
        return {};
    const quint32 newMetrics = qMin(metrics, keptCount);
    qToBigEndian<quint16>(quint16(newMetrics), hhea.data() + 34);
    out.insert("hhea", hhea);
    out.insert("hmtx", hmtx.left(qsizetype(newMetrics) * 4 + qsizetype(keptCount - newMetrics) * 2));
    QByteArray newMaxp = maxp;
    qToBigEndian<quint16>(quint16(keptCount), newMaxp.data() + 4);
    out.insert("maxp", newMaxp);
    QByteArray newHead = head;
    qToBigEndian<quint32>(0, newHead.data() + 8);  // checkSumAdjustment
    qToBigEndian<quint16>(1, newHead.data() + 50); // long loca offsets
    out.insert("head", newHead);
    out.insert("loca", newLoca);
    out.insert("glyf", newGlyf);
    return assemble(out);
}

QByteArray TrueTypeSubset::assemble(const Tables& tables)
{
    const quint16 count = quint16(tables.size());
    quint16 power = 1, log2 = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log2;
    }
    QByteArray file;
    put32(file, tables.contains("CFF ") ? 0x4F54544F : 0x00010000);
    put16(file, count);
    put16(file, quint16(power * 16));
    put16(file, log2);
    put16(file, quint16(count * 16 - power * 16));
    quint32 at = 12 + 16 * quint32(count);
    for (auto it = tables.cbegin(); it != tables.cend(); ++it) { // QMap keeps the tags sorted
        file.append(it.key().leftJustified(4, ' ', true));
        put32(file, checksum(it.value()));
        put32(file, at);
        put32(file, quint32(it.value().size()));
        at += quint32((it.value().size() + 3) & ~3);
    }
    for (const QByteArray& table : tables) {
        file += table;
        while (file.size() % 4)
            file.append('\0');
    }
    return file;
}

} // namespace quelto::printing
