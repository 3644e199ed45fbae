#pragma once

#include "importing/CatalogueFormat.h"

#include <QString>

namespace quelto::tasks {
class TaskControl;
}

namespace quelto::importing {

// What an import of a file would bring, before anything is written: its
// format and how many movies, covers and loans it holds, and how many of
// the movies a catalogue holds already.
struct ImportPreview
{
    QString source;
    CatalogueFormat format = CatalogueFormat::Unknown;
    bool isWatchList = false; // updates matching records rather than adding
    qint64 movies = 0;
    qint64 covers = 0;
    qint64 loans = 0;
    qint64 matching = 0;
    qint64 unnumbered = 0; // movies matching no record that the file gives no number

    QString formatName() const { return importing::formatName(format); }
    QString text() const;

    // Reads the file once to count it (a catalogue path may be empty: nothing matches).
    // Throws catalog::EngineError for a file that cannot be imported and
    // tasks::TaskCancelled on Cancel.
    static ImportPreview of(const QString& source, const QString& cataloguePath, tasks::TaskControl& control);
};

} // namespace quelto::importing
