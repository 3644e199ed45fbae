#include "webcatalogue/CoverThumbnailFiles.h"

#include "catalog/EngineError.h"
#include "collection/CoverPicture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>

namespace quelto::webcatalogue {

CoverThumbnailFiles::CoverThumbnailFiles(QString folder) : m_folder(std::move(folder)) {}

QString CoverThumbnailFiles::relativePath(qint64 recordId)
{
    return FolderName + QLatin1Char('/') + QString::number(recordId) + QStringLiteral(".jpg");
}

QByteArray CoverThumbnailFiles::thumbnail(const collection::CoverPicture& picture)
{
    const QSize size = picture.size();
    if (picture.format() == QLatin1String("jpeg") && size.isValid() && size.width() <= Bound.width() &&
        size.height() <= Bound.height() && picture.bytes().startsWith("\xFF\xD8"))
        return picture.bytes();
    QImage image = collection::CoverPicture::decode(picture.bytes(), Bound);
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

QString CoverThumbnailFiles::write(qint64 recordId, const collection::CoverPicture& picture)
{
    const QByteArray bytes = thumbnail(picture);
    if (bytes.isEmpty())
        return {};
    const QString name = relativePath(recordId);
    const QDir folder(m_folder);
    if (!m_made) {
        if (!folder.mkpath(FolderName))
            throw catalog::EngineError(
                QStringLiteral("The folder \"%1\" cannot be made.").arg(QDir::toNativeSeparators(folder.filePath(FolderName))));
        m_made = true;
    }
    QFile file(folder.filePath(name));
    if (file.exists())
        return name; // a copy of a record shares its identity, and so its cover
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        throw catalog::EngineError(QStringLiteral("\"%1\" cannot be written: %2")
                                       .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
    ++m_written;
    return name;
}

} // namespace quelto::webcatalogue
