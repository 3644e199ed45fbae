#include "collection/CoverPicture.h"

#include "collection/PictureCheck.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
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

// The decoders' own bound for one picture's memory, in MB: a cover at its
// largest (MaxPixels, four bytes each) and some room.
constexpr int AllocationLimitMb = 256;

// Opens reader on bytes in one of the cover formats, with the decoders'
// bounds set; a PNG is given without the chunks that do not make up the
// image. false for any other format or a PNG whose chunks do not add up.
bool openReader(const QByteArray& bytes, QByteArray& data, QBuffer& buffer, QImageReader& reader)
{
    static const bool limited = [] {
        const int current = QImageReader::allocationLimit();
        if (current <= 0 || current > AllocationLimitMb) // never looser than Qt's own
            QImageReader::setAllocationLimit(AllocationLimitMb);
        return true;
    }();
    Q_UNUSED(limited);
    data = bytes;
    buffer.setBuffer(&data);
    buffer.open(QIODevice::ReadOnly);
    reader.setDevice(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    const QByteArray format = reader.format();
    if (!PictureCheck::isCoverFormat(format))
        return false;
    if (format == "png") {
        buffer.close();
        data = PictureCheck::pngForDecoding(bytes);
        if (data.isEmpty())
            return false;
        buffer.setBuffer(&data);
        buffer.open(QIODevice::ReadOnly);
        reader.setDevice(&buffer);
        reader.setFormat("png");
    }
    return true;
}

// Stored pictures that did not decode, by their check sum: they are tried
// once, not at every display.
class Undecodable
{
public:
    static QByteArray key(const QByteArray& bytes)
    {
        return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
    }
    bool contains(const QByteArray& key)
    {
        QMutexLocker lock(&m_mutex);
        return m_keys.contains(key);
    }
    void add(const QByteArray& key)
    {
        QMutexLocker lock(&m_mutex);
        if (m_keys.size() > 10000)
            m_keys.clear();
        m_keys.insert(key);
    }

private:
    QMutex m_mutex;
    QSet<QByteArray> m_keys;
};

Undecodable& undecodable()
{
    static Undecodable instance;
    return instance;
}

QSize scaledToLongSide(QSize size, int longSide)
{
    if (size.width() <= longSide && size.height() <= longSide)
        return size;
    // A picture far taller than wide keeps a column of a pixel at least.
    return size.scaled(longSide, longSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
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
    QByteArray data;
    QBuffer buffer;
    QImageReader reader;
    if (!openReader(bytes, data, buffer, reader) || !reader.canRead()) {
        if (bytes.startsWith("\x89PNG")) {
            if (const QString damage = PictureCheck::structureProblem(bytes, "png"); !damage.isEmpty())
                return refuse(QStringLiteral("The picture cannot be taken: %1.").arg(damage));
        }
        return refuse(QStringLiteral("This is not a picture Quelto can read (JPEG, PNG, WebP, GIF or BMP)."));
    }
    const QByteArray format = reader.format();
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
    if (const QString damage = PictureCheck::structureProblem(bytes, format); !damage.isEmpty())
        return refuse(QStringLiteral("The picture cannot be taken: %1.").arg(damage));
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
    if (bytes.isEmpty())
        return {};
    const QByteArray key = Undecodable::key(bytes);
    if (undecodable().contains(key))
        return {};
    QByteArray data;
    QBuffer buffer;
    QImageReader reader;
    const QSize size = openReader(bytes, data, buffer, reader) ? reader.size() : QSize();
    if (!size.isValid() || size.width() > MaxSide || size.height() > MaxSide ||
        qint64(size.width()) * size.height() > MaxPixels) {
        undecodable().add(key); // another format, or a stored file changed by another tool
        return {};
    }
    if (bound.isValid() && (size.width() > bound.width() || size.height() > bound.height()))
        reader.setScaledSize(size.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    if (image.isNull()) {
        undecodable().add(key);
        return {};
    }
    if (!image.isNull() && bound.isValid() && (image.width() > bound.width() || image.height() > bound.height()))
        image = image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace quelto::collection
