#pragma once

#include "importing/CatalogueReader.h"

#include <QByteArray>

class QFile;

namespace quelto::importing {

// Ant Movie Catalog's own .amc file, versions 3.5 and 4.x: a header of 65
// characters (" AMC_4.1 Ant Movie Catalog 4.1.x ..."), the owner's four
// strings, then the movies one after the other to the end of the file. Every
// number is a 32-bit little-endian integer, every string its length in bytes
// (as such an integer) and its bytes in Windows-1252 (UTF-8 from 4.2), a yes/no
// one byte; a movie's picture is a length and the picture's bytes, or a file
// beside the catalogue named by PictureName.
//
// A movie of 3.5: Number, Date, Rating (tenths), Year, Length, VideoBitrate,
// AudioBitrate, Disks; Checked; Media, MediaType, Source, Borrower,
// OriginalTitle, TranslatedTitle, Director, Producer, Country, Category,
// Actors, URL, Description, Comments, VideoFormat, AudioFormat, Resolution,
// FrameRate, Languages, Subtitles, Size, PictureName; the picture.
// 4.x adds DateWatched, UserRating (tenths) and ColorTag after Date, and
// Writer, Composer, Certification and FilePath after Producer; from 4.0 the
// owner's strings are followed by the count of custom field definitions
// (name, type, default, each a string) and every movie by that many values.
//
// Every length is checked against the bytes left in the file and the bounds of
// an import before anything is read: a file cut off or whose lengths point
// past its end is refused with the byte where it fails.
class AntMovieCatalogFileReader : public CatalogueReader
{
public:
    explicit AntMovieCatalogFileReader(QString path) : m_path(std::move(path)) {}
    CatalogueFormat format() const override { return CatalogueFormat::AntMovieCatalog; }
    void read(const Take& take, tasks::TaskControl* control) override;

    static constexpr int HeaderSize = 65;
    // The version a file's first bytes name (35 for 3.5, 41 for 4.1), 0 for none.
    static int versionOf(const QByteArray& head);

private:
    class Input;
    ImportedMovie readMovie(Input& input, int version) const;

    QString m_path;
};

} // namespace quelto::importing
