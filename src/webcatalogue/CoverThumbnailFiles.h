#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace quelto::collection {
class CoverPicture;
}

namespace quelto::webcatalogue {

// The covers of a web catalogue: a small JPEG picture a record in the folder
// "covers", named by the record's identity (archive.quelto_id), never by a
// title, so that no value of a record shapes a file name. ThumbnailWorkers
// writes them.
class CoverThumbnailFiles
{
public:
    static inline const QString FolderName = QStringLiteral("covers");
    // Twice the size the page shows a cover at, for sharp pictures on dense screens.
    static constexpr QSize Bound{160, 240};
    static constexpr int Quality = 80;
    // What a thumbnail of the bound takes at that quality, about.
    static constexpr qsizetype KeptBytes = 12 * 1024;

    // The picture's thumbnail as JPEG bytes: a small JPEG as it is (see
    // KeptBytes), any other picture scaled into the bound; empty when it does
    // not decode.
    static QByteArray thumbnail(const collection::CoverPicture& picture);
    // The picture decoded within the bound; null when it does not decode.
    static QImage decode(const QByteArray& bytes);

    // The file of a record's thumbnail relative to the export's folder ("covers/12.jpg").
    static QString relativePath(qint64 recordId);
};

} // namespace quelto::webcatalogue
