#include "completion/CatalogValues.h"

#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"
#include "tasks/TaskControl.h"

#include <QSet>
#include <sqlite3.h>

namespace quelto::completion {
namespace {

const QString ListSeparator = QStringLiteral(" / ");

QStringList tableColumns(catalog::SqliteConnection& connection)
{
    QStringList names;
    auto info = connection.prepare(QStringLiteral("pragma table_info(archive)"));
    while (info->step())
        names << info->value(1).toString().toLower();
    return names;
}

} // namespace

const QStringList& CatalogValues::columns(Kind kind)
{
    static const QStringList people = {QStringLiteral("mv_director"), QStringLiteral("mv_book"),
                                       QStringLiteral("mv_music"),    QStringLiteral("mv_cast1"),
                                       QStringLiteral("mv_cast2"),    QStringLiteral("mv_cast3"),
                                       QStringLiteral("mv_cast4"),    QStringLiteral("mv_cast5"),
                                       QStringLiteral("mv_cast6")};
    static const QStringList company = {QStringLiteral("mv_producer")};
    static const QStringList genre = {QStringLiteral("mv_genre")};
    switch (kind) {
    case Kind::People:
        return people;
    case Kind::Company:
        return company;
    case Kind::Genre:
        break;
    }
    return genre;
}

std::optional<CatalogValues::Kind> CatalogValues::kindOf(const QString& column)
{
    for (const Kind kind : {Kind::People, Kind::Company, Kind::Genre}) {
        if (columns(kind).contains(column, Qt::CaseInsensitive))
            return kind;
    }
    return std::nullopt;
}

CatalogValues CatalogValues::read(catalog::SqliteConnection& connection, tasks::TaskControl* control)
{
    CatalogValues values;
    const QStringList present = tableColumns(connection);
    QStringList read;
    std::vector<Kind> kinds;
    for (const Kind kind : {Kind::People, Kind::Company, Kind::Genre}) {
        for (const QString& column : columns(kind)) {
            if (present.contains(column)) {
                read << catalog::SqlTranslator::quoteName(column);
                kinds.push_back(kind);
            }
        }
    }
    if (read.isEmpty())
        return values;
    // The pools take values as they come and sort them once.
    for (ValuePool& pool : values.m_pools)
        pool.beginBulk();
    auto rows = connection.prepare(QStringLiteral("select %1 from archive").arg(read.join(QLatin1Char(','))));
    sqlite3_stmt* row = rows->handle();
    qint64 seen = 0;
    std::array<QSet<QByteArray>, KindCount> met;
    while (rows->step()) {
        if (control && ++seen % 8192 == 0)
            control->throwIfCancelled();
        for (int c = 0; c < int(kinds.size()); ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, c));
            if (!text || !*text)
                continue;
            // Most values repeat: each spelling is taken once.
            QByteArray bytes(text, sqlite3_column_bytes(row, c));
            QSet<QByteArray>& known = met[size_t(kinds[size_t(c)])];
            if (known.contains(bytes))
                continue;
            const QString value = QString::fromUtf8(bytes);
            known.insert(std::move(bytes));
            values.add(kinds[size_t(c)], value);
        }
    }
    for (ValuePool& pool : values.m_pools)
        pool.settle();
    return values;
}

void CatalogValues::add(Kind kind, const QString& value)
{
    ValuePool& pool = m_pools[size_t(kind)];
    if (!value.contains(ListSeparator)) {
        pool.add(value);
        return;
    }
    for (const QString& entry : value.split(ListSeparator))
        pool.add(entry);
}

QStringList CatalogValues::beginningWith(Kind kind, const QString& text, int limit) const
{
    return m_pools[size_t(kind)].beginningWith(text, limit);
}

} // namespace quelto::completion
