#include "collection/CoverPicture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QLocale>

namespace quelto::collection {
namespace {

QString megabytes(qint64 bytes) { return QLocale().toString(double(bytes) / (1024.0 * 1024.0), 'f', 1); }

// A picture whose end is missing decodes with a grey or garbled rest, or not
// at all; its format's closing mark tells it before that.
bool isComplete(const QByteArray& bytes, const QByteArray& format)
{
    const QByteArray tail = bytes.right(4096);
    if (format == "jpeg" || format == "jpg")
        return tail.contains("\xFF\xD9");
    if (format == "png")
        return tail.contains("IEND");
    if (format == "gif")
        return bytes.endsWith('\x3B') || tail.contains('\x3B');
    if (format == "webp" && bytes.size() >= 12 && bytes.startsWith("RIFF")) {
        const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
        const quint32 declared = quint32(p[4]) | quint32(p[5]) << 8 | quint32(p[6]) << 16 | quint32(p[7]) << 24;
        return qint64(declared) + 8 <= bytes.size();
    }
    return true;
}

QSize scaledToLongSide(QSize size, int longSide)
{
    if (size.width() <= longSide && size.height() <= longSide)
        return size;
    return size.scaled(longSide, longSide, Qt::KeepAspectRatio);
}

std::optional<CoverPicture> encode(const QImage& image, QString* problem)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const bool alpha = image.hasAlphaChannel();
    QImageWriter writer(&buffer, alpha ? "png" : "jpeg");
    if (!alpha)
        writer.setQuality(90);
    if (!writer.write(image)) {
        if (problem)
            *problem = QStringLiteral("The picture could not be stored: %1").arg(writer.errorString());
        return std::nullopt;
    }
    return CoverPicture(bytes, alpha ? QStringLiteral("png") : QStringLiteral("jpeg"), image.size());
}

} // namespace

QString CoverPicture::fileSuffix() const
{
    return m_format == QLatin1String("jpeg") ? QStringLiteral("jpg") : m_format;
}

std::optional<CoverPicture> CoverPicture::prepare(const QByteArray& bytes, QString* problem)
{
    auto refuse = [problem](const QString& text) -> std::optional<CoverPicture> {
        if (problem)
            *problem = text;
        return std::nullopt;
    };
    if (bytes.isEmpty())
        return refuse(QStringLiteral("The file is empty: it holds no picture."));
    if (bytes.size() > MaxSourceBytes)
        return refuse(QStringLiteral("The picture is %1 MB; Quelto takes covers of at most %2 MB.")
                          .arg(megabytes(bytes.size()), megabytes(MaxSourceBytes)));
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QByteArray format = reader.format();
    if (format.isEmpty() || !reader.canRead())
        return refuse(QStringLiteral("This is not a picture Quelto can read (JPEG, PNG, WebP, GIF or BMP)."));
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > MaxSide || size.height() > MaxSide ||
                           qint64(size.width()) * size.height() > MaxPixels)) {
        return refuse(QStringLiteral("The picture is %1 × %2 pixels, too large for a cover (at most %3 megapixels).")
                          .arg(size.width())
                          .arg(size.height())
                          .arg(MaxPixels / 1000000));
    }
    if (!isComplete(bytes, format))
        return refuse(QStringLiteral("The picture is incomplete: its end is missing (a download cut short?)."));
    if (bytes.size() < KeptAsGivenBytes) {
        // Decoded once to prove it is whole; kept as given.
        const QImage image = reader.read();
        if (image.isNull())
            return refuse(QStringLiteral("The picture cannot be read: %1.").arg(reader.errorString()));
        return CoverPicture(bytes, QString::fromLatin1(format), image.size());
    }
    if (size.isValid())
        reader.setScaledSize(scaledToLongSide(size, ScaledLongSide));
    QImage image = reader.read();
    if (image.isNull())
        return refuse(QStringLiteral("The picture cannot be read: %1.").arg(reader.errorString()));
    if (image.width() > ScaledLongSide || image.height() > ScaledLongSide)
        image = image.scaled(ScaledLongSide, ScaledLongSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return encode(image, problem);
}

std::optional<CoverPicture> CoverPicture::fromFile(const QString& path, QString* problem)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        if (problem)
            *problem = QStringLiteral("There is no file \"%1\".").arg(path);
        return std::nullopt;
    }
    if (info.size() > MaxSourceBytes) {
        if (problem)
            *problem = QStringLiteral("The picture is %1 MB; Quelto takes covers of at most %2 MB.")
                           .arg(megabytes(info.size()), megabytes(MaxSourceBytes));
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (problem)
            *problem = QStringLiteral("The file \"%1\" cannot be read: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return prepare(file.read(MaxSourceBytes + 1), problem);
}

std::optional<CoverPicture> CoverPicture::fromImage(const QImage& image, QString* problem)
{
    if (image.isNull()) {
        if (problem)
            *problem = QStringLiteral("There is no picture to take.");
        return std::nullopt;
    }
    if (image.width() > MaxSide || image.height() > MaxSide) {
        if (problem)
            *problem = QStringLiteral("The picture is %1 × %2 pixels, too large for a cover.")
                           .arg(image.width())
                           .arg(image.height());
        return std::nullopt;
    }
    std::optional<CoverPicture> picture = encode(image, problem);
    if (picture && picture->bytes().size() >= KeptAsGivenBytes)
        return encode(image.scaled(scaledToLongSide(image.size(), ScaledLongSide), Qt::KeepAspectRatio,
                                   Qt::SmoothTransformation),
                      problem);
    return picture;
}

QImage CoverPicture::decode(const QByteArray& bytes, QSize bound)
{
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > MaxSide || size.height() > MaxSide ||
                           qint64(size.width()) * size.height() > MaxPixels))
        return {}; // a stored file changed by another tool
    if (bound.isValid() && size.isValid() && (size.width() > bound.width() || size.height() > bound.height()))
        reader.setScaledSize(size.scaled(bound, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (!image.isNull() && bound.isValid() && (image.width() > bound.width() || image.height() > bound.height()))
        image = image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace quelto::collection
