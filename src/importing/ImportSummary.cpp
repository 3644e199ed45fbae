#include "importing/ImportSummary.h"

#include <QDir>
#include <QStringList>

namespace quelto::importing {

namespace {

void keep(std::vector<ImportSummary::LeftOut>& list, qint64& count, const QString& title, const QString& reason)
{
    if (list.size() < size_t(ImportSummary::ListedLeftOut))
        list.push_back({title, reason});
    ++count;
}

void describe(QStringList& lines, const std::vector<ImportSummary::LeftOut>& list, qint64 count, int limit)
{
    int shown = 0;
    for (const ImportSummary::LeftOut& item : list) {
        if (shown++ == limit)
            break;
        lines << QStringLiteral("  \"%1\": %2").arg(item.title.isEmpty() ? QStringLiteral("(no title)") : item.title,
                                                   item.reason);
    }
    if (count > std::min<qint64>(limit, qint64(list.size())))
        lines << QStringLiteral("  ... and %1 more.").arg(count - std::min<qint64>(limit, qint64(list.size())));
}

} // namespace

void ImportSummary::leaveOut(const QString& title, const QString& reason) { keep(leftOut, leftOutCount, title, reason); }

void ImportSummary::leaveOutCover(const QString& title, const QString& reason)
{
    keep(leftOutCovers, leftOutCoverCount, title, reason);
}

QString ImportSummary::text(int limit) const
{
    QStringList lines;
    lines << QStringLiteral("%1 movies read from \"%2\" (%3): %4 added, %5 updated, %6 left out.")
                 .arg(read)
                 .arg(QDir::toNativeSeparators(source), formatName(format))
                 .arg(added)
                 .arg(updated)
                 .arg(leftOutCount);
    lines << QStringLiteral("%1 covers and %2 loans stored.").arg(covers).arg(loans);
    if (leftOutCount > 0) {
        lines << QStringLiteral("Left out:");
        describe(lines, leftOut, leftOutCount, limit);
    }
    if (leftOutCoverCount > 0) {
        lines << QStringLiteral("Covers left out (their movies were stored):");
        describe(lines, leftOutCovers, leftOutCoverCount, limit);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace quelto::importing
