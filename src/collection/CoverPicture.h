#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

namespace quelto::collection {

// A cover as the catalogue keeps it: the encoded picture, its format and
// size. Pictures under 2 MB are kept as given; larger ones are scaled down to
// 1,500 px on the longer side. Everything a picture comes from (a file, a
// download, the clipboard) passes through prepare(), which checks sizes
// before it decodes anything.
class CoverPicture
{
public:
    // Bytes refused before they are read at all.
    static constexpr qint64 MaxSourceBytes = 25 * 1024 * 1024;
    // Kept as given below this size.
    static constexpr qint64 KeptAsGivenBytes = 2 * 1024 * 1024;
    static constexpr int ScaledLongSide = 1500;
    // Pictures larger than this are refused before decoding.
    static constexpr int MaxSide = 16000;
    static constexpr qint64 MaxPixels = 50LL * 1000 * 1000;

    CoverPicture() = default;
    CoverPicture(QByteArray bytes, QString format, QSize size)
        : m_bytes(std::move(bytes)), m_format(std::move(format)), m_size(size)
    {
    }

    bool isNull() const { return m_bytes.isEmpty(); }
    const QByteArray& bytes() const { return m_bytes; }
    const QString& format() const { return m_format; } // "jpeg", "png", "webp", ...
    QSize size() const { return m_size; }
    // "jpg" for JPEG, else the format's name: for files written beside a CSV.
    QString fileSuffix() const;

    // The picture to store from encoded bytes; nothing and a message for the
    // user when they are no picture, a cut-off one, or one too large.
    static std::optional<CoverPicture> prepare(const QByteArray& bytes, QString* problem);
    // The same from a file, whose size is checked before it is read.
    static std::optional<CoverPicture> fromFile(const QString& path, QString* problem);
    // From a picture already in memory (the clipboard): stored as PNG, or as
    // JPEG when that would be over the size kept as given.
    static std::optional<CoverPicture> fromImage(const QImage& image, QString* problem);

    // Decodes stored bytes to fit within bound (aspect kept), never larger
    // than the picture; a null image for bytes that do not decode. JPEG is
    // scaled while decoding, so a thumbnail costs little memory.
    static QImage decode(const QByteArray& bytes, QSize bound = {});

    bool operator==(const CoverPicture& other) const { return m_bytes == other.m_bytes; }

private:
    QByteArray m_bytes;
    QString m_format;
    QSize m_size;
};

} // namespace quelto::collection
