#pragma once

#include "importing/CatalogueFormat.h"

#include <QString>
#include <QVariant>
#include <vector>

namespace quelto::importing {

// What an import did: what came in, what was left out and why.
struct ImportSummary
{
    // How many left-out movies and covers are kept to be shown; all are counted.
    static constexpr int ListedLeftOut = 200;

    struct LeftOut
    {
        QString title;
        QString reason;
    };

    QString source;
    CatalogueFormat format = CatalogueFormat::Unknown;
    qint64 read = 0;    // movies in the file
    qint64 added = 0;   // new records
    qint64 updated = 0; // records whose own rating or seen date changed
    qint64 covers = 0;
    qint64 loans = 0;
    qint64 leftOutCount = 0;
    std::vector<LeftOut> leftOut;       // the first ListedLeftOut
    qint64 leftOutCoverCount = 0;
    std::vector<LeftOut> leftOutCovers; // the first ListedLeftOut
    // The rows added: every key from first to last (for undo).
    qint64 firstKey = 0;
    qint64 lastKey = -1;
    // The records updated, with their own rating and seen before and after (for undo).
    struct Update
    {
        qint64 rowid = 0;
        QVariant ratingBefore;
        QVariant seenBefore;
        QVariant ratingAfter;
        QVariant seenAfter;
    };
    std::vector<Update> updates;

    void leaveOut(const QString& title, const QString& reason);
    void leaveOutCover(const QString& title, const QString& reason);
    // A few lines for the user, at most limit left-out movies listed.
    QString text(int limit = 15) const;
};

} // namespace quelto::importing
