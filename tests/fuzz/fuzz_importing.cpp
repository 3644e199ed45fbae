// The readers of other catalogue programs' files on arbitrary bytes: the
// format is found by content, then the file is read whole and counted as the
// preview counts it. Neither may crash, hang or allocate past its bound; a
// refusal is an EngineError with a message; and where both succeed, the
// preview's count finds the same movies, covers and loans as the whole read.
#include "catalog/EngineError.h"
#include "importing/CatalogueReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <optional>

using namespace quelto;

namespace {

struct Seen
{
    QStringList keys; // what matches each movie to a record
    qint64 covers = 0;
    qint64 loans = 0;
    bool operator==(const Seen&) const = default;
};

QString keyOf(const importing::ImportedMovie& movie)
{
    return QStringList{movie.sourceNumber, movie.title, movie.year, movie.webAddress, movie.imdbId, movie.letterboxdUri}
        .join(QLatin1Char('|'));
}

template<typename Read>
std::optional<Seen> attempt(Read&& read)
{
    try {
        return read();
    } catch (const catalog::EngineError& error) {
        if (error.message().isEmpty())
            std::abort(); // a refusal always says why
        return std::nullopt;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("collection"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    std::unique_ptr<importing::CatalogueReader> reader;
    try {
        reader = importing::CatalogueReader::open(path);
    } catch (const catalog::EngineError& error) {
        if (error.message().isEmpty())
            std::abort();
        return 0;
    }
    const std::optional<Seen> whole = attempt([&] {
        Seen seen;
        reader->read(
            [&](importing::ImportedMovie&& movie) {
                seen.keys << keyOf(movie);
                seen.covers += movie.hasCover() ? 1 : 0;
                seen.loans += qint64(movie.loans.size());
            },
            nullptr);
        return seen;
    });
    // Read again through the preview's count, as the window does after the preview.
    const std::optional<Seen> counted = attempt([&] {
        Seen seen;
        const auto totals = reader->count([&](const importing::ImportedMovie& movie) { seen.keys << keyOf(movie); },
                                          nullptr);
        seen.covers = totals.covers;
        seen.loans = totals.loans;
        return seen;
    });
    if (whole && counted && !(*whole == *counted)) {
        std::fprintf(stderr, "The whole read found %lld covers and %lld loans:\n%s\nthe count %lld and %lld:\n%s\n",
                     qlonglong(whole->covers), qlonglong(whole->loans), qPrintable(whole->keys.join(QLatin1Char('\n'))),
                     qlonglong(counted->covers), qlonglong(counted->loans),
                     qPrintable(counted->keys.join(QLatin1Char('\n'))));
        std::abort();
    }
    return 0;
}
