#include "collection/PictureCheck.h"

#include <QList>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
#include <vector>

namespace quelto::collection::PictureCheck {
namespace {

const QByteArray PngSignature("\x89PNG\r\n\x1a\n", 8);

quint32 bigEndian(const char* p)
{
    const auto* u = reinterpret_cast<const uchar*>(p);
    return quint32(u[0]) << 24 | quint32(u[1]) << 16 | quint32(u[2]) << 8 | u[3];
}

struct Chunk
{
    QByteArray type;
    qsizetype start = 0; // of the length field
    qsizetype size = 0;  // length, type, data and check sum
};

// The chunks up to and with IEND; empty when one reaches past the end, the
// first is no header or the end chunk is missing.
QList<Chunk> pngChunks(const QByteArray& bytes, QString* problem)
{
    QList<Chunk> chunks;
    auto refuse = [&](const QString& why) {
        if (problem)
            *problem = why;
        chunks.clear();
        return chunks;
    };
    if (!bytes.startsWith(PngSignature))
        return refuse(QStringLiteral("it is no PNG picture"));
    qsizetype at = PngSignature.size();
    while (true) {
        if (bytes.size() - at < 12)
            return refuse(QStringLiteral("its end is missing (a download cut short?)"));
        const quint32 length = bigEndian(bytes.constData() + at);
        if (length > 0x7FFFFFFFu || qint64(length) > bytes.size() - at - 12)
            return refuse(QStringLiteral("a part of it claims %1 bytes that the file does not have").arg(length));
        Chunk chunk{bytes.mid(at + 4, 4), at, qsizetype(length) + 12};
        if (chunks.isEmpty() && chunk.type != "IHDR")
            return refuse(QStringLiteral("it does not begin with a picture header"));
        chunks << chunk;
        at += chunk.size;
        if (chunk.type == "IEND")
            return chunks;
    }
}

// libjpeg's errors end the reading through a jump; its warnings (data that
// breaks off, a marker amid the image data) are counted.
struct JpegErrors
{
    jpeg_error_mgr manager;
    std::jmp_buf exit;
};

void jpegFailed(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->exit, 1);
}

// Only the warnings of image data that ends before it should are counted;
// stray bytes between parts, which many cameras write, are not.
void jpegQuiet(j_common_ptr info, int level)
{
    const int code = info->err->msg_code;
    if (level < 0 && (code == JWRN_HIT_MARKER || code == JWRN_JPEG_EOF || code == JWRN_MUST_RESYNC))
        ++info->err->num_warnings;
}

QString jpegProblem(const QByteArray& bytes)
{
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegFailed;
    errors.manager.emit_message = jpegQuiet;
    std::vector<JSAMPLE> row;
    // Kept out of the jump's way: what the reader holds is freed below.
    volatile bool created = false;
    volatile bool damaged = true;
    if (setjmp(errors.exit) == 0) {
        jpeg_create_decompress(&info);
        created = true;
        jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                     static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(&info, TRUE);
        // At an eighth of the size every bit of the image data is still read.
        info.scale_num = 1;
        info.scale_denom = 8;
        info.dct_method = JDCT_IFAST;
        info.do_fancy_upsampling = FALSE;
        jpeg_start_decompress(&info);
        row.resize(size_t(info.output_width) * size_t(info.output_components));
        JSAMPROW rows[1] = {row.data()};
        while (info.output_scanline < info.output_height && errors.manager.num_warnings == 0)
            jpeg_read_scanlines(&info, rows, 1);
        if (errors.manager.num_warnings == 0)
            jpeg_finish_decompress(&info);
        damaged = errors.manager.num_warnings > 0;
    }
    if (created)
        jpeg_destroy_decompress(&info);
    return damaged ? QStringLiteral("its image data breaks off or is damaged (a download cut short?)") : QString();
}

} // namespace

bool isCoverFormat(const QByteArray& format)
{
    const QByteArray f = format.toLower();
    return f == "jpeg" || f == "jpg" || f == "png" || f == "webp" || f == "gif" || f == "bmp";
}

QString structureProblem(const QByteArray& bytes, const QByteArray& format)
{
    const QByteArray f = format.toLower();
    if (f == "png") {
        QString problem;
        pngChunks(bytes, &problem);
        return problem;
    }
    if (f == "jpeg" || f == "jpg")
        return jpegProblem(bytes);
    return {};
}

QByteArray pngForDecoding(const QByteArray& bytes)
{
    const QList<Chunk> chunks = pngChunks(bytes, nullptr);
    if (chunks.isEmpty())
        return {};
    static const QList<QByteArray> kept = {"IHDR", "PLTE", "tRNS", "gAMA", "cHRM", "sRGB", "sBIT", "IDAT", "IEND"};
    QByteArray out = PngSignature;
    out.reserve(bytes.size());
    for (const Chunk& chunk : chunks) {
        if (kept.contains(chunk.type))
            out += bytes.mid(chunk.start, chunk.size);
    }
    return out;
}

} // namespace quelto::collection::PictureCheck
