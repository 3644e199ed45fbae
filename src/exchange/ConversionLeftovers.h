#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QLockFile;

namespace quelto::exchange {

// A conversion writes the new catalogue under a scratch name beside it
// ("NEW.mdb.converting") and renames it when it is complete. A program that
// is killed meanwhile leaves the scratch file and its journal behind; this
// notes every conversion under way in the user's data folder
// (~/.local/share/quelto/conversions), with a lock held for as long as it
// runs, so that the next run of Quelto removes what such a conversion left,
// and only that: never a file of a conversion that another Quelto is still
// running, never a file that is not a scratch catalogue.
class ConversionLeftovers
{
public:
    // The folder of the notes; tests put it elsewhere.
    static QString location();
    static void setLocation(const QString& folder);

    // Notes a conversion into scratchPath; the note goes when this does.
    explicit ConversionLeftovers(const QString& scratchPath);
    ~ConversionLeftovers();
    ConversionLeftovers(const ConversionLeftovers&) = delete;
    ConversionLeftovers& operator=(const ConversionLeftovers&) = delete;

    // Removes the scratch files of conversions whose program has ended;
    // returns the files removed.
    static QStringList removeStale();
    // The scratch name for a new catalogue at target: the first of
    // "target.converting", "target.converting1", ... that names no file.
    static QString scratchNameFor(const QString& target);
    // A scratch catalogue and what SQLite keeps beside it.
    static void removeScratch(const QString& scratchPath);
    static bool isScratchName(const QString& path);

private:
    QString m_note;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace quelto::exchange
