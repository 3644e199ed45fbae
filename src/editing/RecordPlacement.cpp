#include "editing/RecordPlacement.h"

#include "catalog/RecordSet.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"

namespace quelto::editing {

QString RecordPlacement::orderClause(const QString& sql)
{
    qsizetype last = -1;
    const qsizetype n = sql.size();
    auto isWordChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            ++i;
            while (i < n) {
                if (sql.at(i) == close) {
                    if (close != QLatin1Char(']') && i + 1 < n && sql.at(i + 1) == close) {
                        i += 2; // a doubled delimiter stands for one
                        continue;
                    }
                    break;
                }
                ++i;
            }
            continue;
        }
        if ((c == QLatin1Char('o') || c == QLatin1Char('O')) && (i == 0 || !isWordChar(sql.at(i - 1))) &&
            sql.mid(i, 5).compare(QLatin1String("order"), Qt::CaseInsensitive) == 0 &&
            (i + 5 >= n || !isWordChar(sql.at(i + 5)))) {
            qsizetype j = i + 5;
            while (j < n && sql.at(j).isSpace())
                ++j;
            if (j > i + 5 && sql.mid(j, 2).compare(QLatin1String("by"), Qt::CaseInsensitive) == 0 &&
                (j + 2 >= n || !isWordChar(sql.at(j + 2))))
                last = i;
        }
    }
    return last < 0 ? QString() : sql.mid(last).trimmed();
}

void RecordPlacement::place(catalog::RecordSet& set, catalog::SqliteConnection& connection, qint64 key)
{
    QString order = orderClause(set.keyQuery());
    if (order.isEmpty()) {
        // No order asked for: the record stays where it is (a new one at the end).
        set.setBookmark(key);
        return;
    }
    // The other rows of the set, in its order.
    std::vector<qint64> others;
    others.reserve(size_t(set.recordCount()));
    for (int i = 0; i < set.recordCount(); ++i) {
        if (set.keyAt(i) != key)
            others.push_back(set.keyAt(i));
    }
    // Among rows that are equal in the order, by key.
    order += QStringLiteral(", rowid");
    auto compare = connection.prepare(QStringLiteral("select rowid from %1 where rowid in (?1, ?2) %2")
                                          .arg(catalog::SqlTranslator::quoteName(set.table()), order));
    const auto comesBefore = [&compare, key](qint64 other) {
        compare->reset();
        compare->bindInt64(1, key);
        compare->bindInt64(2, other);
        const bool first = compare->step() && compare->int64(0) == key;
        compare->reset();
        return first;
    };
    size_t low = 0;
    size_t high = others.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (comesBefore(others[middle]))
            high = middle;
        else
            low = middle + 1;
    }
    set.placeRow(key, int(low));
}

} // namespace quelto::editing
