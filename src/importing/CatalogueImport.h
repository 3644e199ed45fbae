#pragma once

#include "importing/ImportSummary.h"

#include <QString>
#include <memory>

namespace quelto::catalog {
class Database;
class SqliteConnection;
} // namespace quelto::catalog
namespace quelto::tasks {
class TaskControl;
}

namespace quelto::importing {

class CatalogueReader;
class RecordMatcher;
struct ImportedMovie;

// Brings the movies of another catalogue program's file into a catalogue.
//
// A movie that matches a record (RecordMatcher) adds no record: from a list
// of what was watched or rated it updates the record's own rating and seen
// date; from a collection it is left out as already there. Other movies are
// added (from a watch list only when addUnmatched is set), each with the
// source's own number as media ID where that is free, else the prefix and a
// number; with its personal fields, cover, loans and, in quelto_import_links,
// its web address and source IDs.
//
// Everything happens in one write transaction through the catalogue's write
// checks: a read-only or refused file is not written at all, and a failure or
// Cancel leaves the catalogue as it was.
class CatalogueImport
{
public:
    struct Options
    {
        bool addUnmatched = false; // movies of a watch list that match no record
        QString mediaIdPrefix = DefaultPrefix; // for movies the source gives no number
    };
    static inline const QString DefaultPrefix = QStringLiteral("I-");
    static constexpr int MaxPrefixLength = 20;
    // Why a media ID prefix cannot be used (too long, control characters,
    // spaces at either end); empty when it can. An empty prefix is allowed:
    // the media IDs are then bare numbers.
    static QString prefixProblem(const QString& prefix);

    // Opens the source by its content; throws catalog::EngineError when it
    // is of no known format.
    explicit CatalogueImport(const QString& source);
    CatalogueImport(const QString& source, Options options);
    ~CatalogueImport();

    const CatalogueReader& reader() const { return *m_reader; }

    // Runs the import; the work function for a BackgroundTask. Throws
    // catalog::EngineError (nothing written) or tasks::TaskCancelled.
    ImportSummary run(catalog::Database& db, tasks::TaskControl& control);

private:
    struct Write;
    void take(Write& write, ImportedMovie& movie);
    void add(Write& write, ImportedMovie& movie);
    bool update(Write& write, qint64 rowid, const ImportedMovie& movie);
    QString mediaIdFor(Write& write, const ImportedMovie& movie);
    // The movie's page and its cast with their characters, when the source names them.
    void storeSource(Write& write, qint64 recordId, const ImportedMovie& movie);
    void storeCover(Write& write, qint64 recordId, const ImportedMovie& movie);
    void storeLoans(Write& write, const QString& mediaId, const ImportedMovie& movie);

    QString m_source;
    Options m_options;
    std::unique_ptr<CatalogueReader> m_reader;
};

} // namespace quelto::importing
