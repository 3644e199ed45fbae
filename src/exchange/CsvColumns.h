#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

namespace quelto::catalog {
class SqliteConnection;
}

namespace quelto::exchange {

// A column of the catalogue's CSV files.
struct CsvColumn
{
    // The archive column, and the name an export writes in the header.
    QString name;
    // Empty for the 24 columns of archive. For one of Quelto's own archive
    // columns, its SQL type: an import that stores a value in it adds the
    // column ("alter table archive add column") in its write transaction.
    QString ownType;
    // Turns a field's text into the stored value, or sets problem (the row
    // is then refused). Empty: the text rules of the 24 columns.
    std::function<QVariant(const QString& text, QString& problem)> convert;
};

// The names a header may use for a column besides its own: the captions of
// the main window's fields. A caption that stands for several fields takes
// them in the window's order ("Cast" six times).
struct CsvCaption
{
    QString caption; // lower case
    QStringList columns;
};

// The one list of what a CSV file holds: archive's 24 columns in table order,
// then Quelto's own columns. Exports write these columns, imports match a
// header against them. A stream that adds data to archive adds its columns
// here (with their captions), and exports and imports carry them.
class CsvColumns
{
public:
    static constexpr int ArchiveCount = 24;
    // Not a column of archive: the picture file of a record's cover, named
    // relative to the CSV file's folder (exports "with covers").
    static inline const QString CoverColumn = QStringLiteral("cover");
    // Not a column of archive either: the length in minutes of the record's
    // tape (quelto_tapes, by media ID), on every record of the tape.
    static inline const QString TapeLengthColumn = QStringLiteral("quelto_tape_length");
    static constexpr int MaxTapeLength = 24 * 60;
    // Not columns of archive either: the address of the page the record was
    // grabbed from or imported with, and the cast as that page bills it (a
    // line each, person and character parted by a tab), both from
    // quelto_sources by the record's identity.
    static inline const QString SourceColumn = QStringLiteral("quelto_source");
    static inline const QString CastRolesColumn = QStringLiteral("quelto_cast_roles");

    static const std::vector<CsvColumn>& columns();
    static const std::vector<CsvCaption>& captions();
    static QStringList names();
    // What an export of this catalogue writes: the 24, then the own columns
    // the file has (a catalogue that never held own data has none).
    static QStringList namesIn(catalog::SqliteConnection& connection);
    // The position of a column in columns(), -1 for none.
    static int indexOf(const QString& name);
    static bool isMovieField(const QString& name) { return name.startsWith(QLatin1String("mv_")); }
};

} // namespace quelto::exchange
