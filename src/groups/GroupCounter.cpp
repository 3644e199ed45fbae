#include "groups/GroupCounter.h"

#include "groups/GroupKeying.h"
#include "groups/NameSlots.h"
#include "groups/RawQuery.h"
#include "groups/TextTally.h"
#include "loans/LoanStore.h"

#include <array>

namespace quelto::groups {

QHash<QByteArray, QString> GroupCounter::currentBorrowers(catalog::SqliteConnection& connection)
{
    QHash<QByteArray, QString> borrowers;
    if (RawQuery::tableColumns(connection, loans::LoanStore::Table).isEmpty())
        return borrowers;
    RawQuery loans(
        connection,
        QStringLiteral("select catalog, borrower from quelto_loans where returned is null order by id"));
    while (loans.step()) {
        const std::string_view catalog = loans.text(0);
        const std::string_view borrower = loans.text(1);
        borrowers.insert(
            loans::LoanStore::tapeKey(QString::fromUtf8(catalog.data(), qsizetype(catalog.size()))),
            QString::fromUtf8(borrower.data(), qsizetype(borrower.size())));
    }
    return borrowers;
}

GroupCounts GroupCounter::count(catalog::SqliteConnection& connection, const GroupField& field)
{
    GroupCounts counts;
    const QStringList columns = RawQuery::tableColumns(connection, QStringLiteral("archive"));
    if (columns.isEmpty())
        return counts;
    bool present = true;
    for (const QString& column : field.columns())
        present = present && columns.contains(column);
    if (!present) {
        RawQuery all(connection, QStringLiteral("select count(*) from archive"));
        all.step();
        const int records = int(all.integer(0));
        counts.add(Group{}, records);
        counts.setRecords(records);
        return counts;
    }
    if (field.kind == GroupField::Kind::Cast)
        return countCast(connection, field);
    if (field.kind == GroupField::Kind::Borrower)
        return countBorrowers(connection, field, columns.contains(QStringLiteral("quelto_key_catalog")));

    TextTally tally;
    RawQuery scan(connection, QStringLiteral("select %1 from archive").arg(field.column));
    int records = 0;
    while (scan.step()) {
        ++records;
        if (const std::optional<std::string_view> text = scan.value(0))
            tally.add(*text);
        else
            tally.addNull();
    }
    const GroupKeying keying(field, field.kind == GroupField::Kind::Borrower ? currentBorrowers(connection)
                                                                             : QHash<QByteArray, QString>());
    std::vector<Group> groups;
    counts.reserve(int(tally.distinct()) + 1);
    tally.forEach([&](std::string_view text, int n) {
        groups.clear();
        keying.groupsOf(text, false, groups);
        for (const Group& group : groups)
            counts.add(group, n);
    });
    if (tally.nulls() > 0) {
        groups.clear();
        keying.groupsOf({}, true, groups);
        for (const Group& group : groups)
            counts.add(group, tally.nulls());
    }
    counts.setRecords(records);
    return counts;
}

GroupCounts GroupCounter::countBorrowers(catalog::SqliteConnection& connection, const GroupField& field,
                                         bool keyed)
{
    // Only the records of tapes out now are read; the rest are counted.
    GroupCounts counts;
    RawQuery all(connection, QStringLiteral("select count(*) from archive"));
    all.step();
    const int records = int(all.integer(0));
    counts.setRecords(records);
    const QHash<QByteArray, QString> borrowers = currentBorrowers(connection);
    int lent = 0;
    if (!borrowers.isEmpty()) {
        const QString out = QStringLiteral("select catalog from quelto_loans where returned is null");
        RawQuery scan(
            connection,
            keyed ? QStringLiteral("select catalog from archive where quelto_key_catalog in (select "
                                   "quelto_sortkey(catalog) from quelto_loans where returned is null) or "
                                   "(quelto_key_catalog is null and catalog in (%1))")
                        .arg(out)
                  : QStringLiteral("select catalog from archive where catalog in (%1)").arg(out));
        const GroupKeying keying(field, borrowers);
        std::vector<Group> groups;
        while (scan.step()) {
            groups.clear();
            keying.groupsOf(scan.text(0), scan.isNull(0), groups);
            if (!groups.front().isNone()) {
                counts.add(groups.front(), 1);
                ++lent;
            }
        }
    }
    counts.add(Group{}, records - lent);
    return counts;
}

GroupCounts GroupCounter::countCast(catalog::SqliteConnection& connection, const GroupField& field)
{
    NameSlots names;
    RawQuery scan(connection, QStringLiteral("select %1 from archive").arg(field.columns().join(u',')));
    int records = 0;
    int withoutCast = 0;
    std::array<int, 6> taken{};
    std::vector<int> perName; // by slot
    while (scan.step()) {
        ++records;
        int found = 0;
        for (int c = 0; c < 6; ++c) {
            const std::optional<std::string_view> name = scan.value(c);
            const int slot = name ? names.slotOf(*name) : -1;
            if (slot < 0)
                continue;
            bool seen = false; // a name in two cast boxes counts once
            for (int i = 0; i < found && !seen; ++i)
                seen = taken[size_t(i)] == slot;
            if (!seen)
                taken[size_t(found++)] = slot;
        }
        if (found == 0)
            ++withoutCast;
        perName.resize(names.size());
        for (int i = 0; i < found; ++i)
            ++perName[size_t(taken[size_t(i)])];
    }
    GroupCounts counts;
    for (size_t slot = 0; slot < names.size(); ++slot)
        counts.add(names.group(slot), perName[slot]);
    counts.add(Group{}, withoutCast);
    counts.setRecords(records);
    return counts;
}

} // namespace quelto::groups
