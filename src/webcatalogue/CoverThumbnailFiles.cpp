#include "webcatalogue/CoverThumbnailFiles.h"

#include "catalog/EngineError.h"
#include "collection/CoverPicture.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

namespace quelto::webcatalogue {

QString CoverThumbnailFiles::relativePath(qint64 recordId)
{
    return FolderName + QLatin1Char('/') + QString::number(recordId) + QStringLiteral(".jpg");
}

QImage CoverThumbnailFiles::decode(const QByteArray& bytes)
{
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!size.isValid())
        return collection::CoverPicture::decode(bytes, Bound);
    if (size.width() > collection::CoverPicture::MaxSide || size.height() > collection::CoverPicture::MaxSide ||
        qint64(size.width()) * size.height() > collection::CoverPicture::MaxPixels)
        return {}; // a stored file changed by another tool
    if (reader.format() == "jpeg") {
        // JPEG decodes at a half, a quarter or an eighth of its size for next
        // to nothing: the largest of those within the bound needs no scaling after.
        for (int divisor = 1; divisor <= 8; divisor *= 2) {
            const QSize scaled((size.width() + divisor - 1) / divisor, (size.height() + divisor - 1) / divisor);
            if (scaled.width() <= Bound.width() && scaled.height() <= Bound.height()) {
                if (divisor > 1)
                    reader.setScaledSize(scaled);
                return reader.read();
            }
        }
    }
    return collection::CoverPicture::decode(bytes, Bound);
}

QByteArray CoverThumbnailFiles::thumbnail(const collection::CoverPicture& picture)
{
    // A JPEG within the bound, or one no larger in bytes than a thumbnail and
    // at most twice the bound, is kept as it is: made again it would lose
    // sharpness and save next to nothing.
    // The size as the picture's own header gives it (the stored one may be another tool's).
    QByteArray data = picture.bytes();
    QBuffer source(&data);
    source.open(QIODevice::ReadOnly);
    QImageReader header(&source, "jpeg");
    const QSize size = header.size();
    const bool small = size.isValid() && size.width() <= Bound.width() && size.height() <= Bound.height();
    const bool light = size.isValid() && size.width() <= 2 * Bound.width() && size.height() <= 2 * Bound.height() &&
                       picture.bytes().size() <= KeptBytes;
    if (picture.format() == QLatin1String("jpeg") && (small || light) && picture.bytes().startsWith("\xFF\xD8"))
        return picture.bytes();
    QImage image = decode(picture.bytes());
    if (image.isNull())
        return {};
    if (image.hasAlphaChannel()) {
        // JPEG has no transparency: such pictures stand on white.
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        flat.setDevicePixelRatio(image.devicePixelRatio());
        QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < source.height(); ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
            auto* out = reinterpret_cast<QRgb*>(flat.scanLine(y));
            for (int x = 0; x < source.width(); ++x) {
                const int a = qAlpha(in[x]);
                out[x] = qRgb(qRed(in[x]) + 255 - a, qGreen(in[x]) + 255 - a, qBlue(in[x]) + 255 - a);
            }
        }
        image = flat;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(Quality);
    if (!writer.write(image))
        return {};
    return bytes;
}

} // namespace quelto::webcatalogue
