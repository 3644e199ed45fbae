#pragma once

#include "importing/CatalogueFormat.h"
#include "importing/ImportedMovie.h"

#include <QString>
#include <functional>
#include <memory>

namespace quelto::tasks {
class TaskControl;
}

namespace quelto::importing {

// Reads the movies of one other program's file, a movie at a time, so that a
// large file takes little memory. read() hands each movie to take() and may
// be called again to read the file once more. Input it cannot read is thrown
// as catalog::EngineError with a message for the user; Cancel (through the
// control) as tasks::TaskCancelled.
class CatalogueReader
{
public:
    using Take = std::function<void(ImportedMovie&&)>;

    virtual ~CatalogueReader() = default;
    virtual CatalogueFormat format() const = 0;
    // A list of what was watched or rated (not a collection): it updates the
    // records it matches and adds a movie only when asked to.
    virtual bool isWatchList() const { return false; }
    virtual void read(const Take& take, tasks::TaskControl* control) = 0;

    // What a preview counts: the file's covers and loans.
    struct Totals
    {
        qint64 covers = 0;
        qint64 loans = 0;
    };
    using Glance = std::function<void(const ImportedMovie&)>;
    // Reads the file to count it: each movie is handed to glance() with at
    // least what matches it to a record (title, year, the IDs and web address,
    // the source's number) filled in; the covers and loans come back as totals.
    // By default the whole read; a reader may do it in less.
    virtual Totals count(const Glance& glance, tasks::TaskControl* control);

    // The reader for a file or folder, by its content; refuses an unknown format.
    static std::unique_ptr<CatalogueReader> open(const QString& path);
    // How far a read has come, for the control: done of total bytes.
    static void report(tasks::TaskControl* control, qint64 done, qint64 total);
};

} // namespace quelto::importing
