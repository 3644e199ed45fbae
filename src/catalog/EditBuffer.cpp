#include "catalog/EditBuffer.h"

#include "catalog/EngineError.h"
#include "catalog/RecordColumns.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"

namespace quelto::catalog {
namespace {

bool sameValue(const QVariant& stored, const QVariant& shown)
{
    const bool storedNull = !stored.isValid() || stored.isNull();
    const bool shownNull = !shown.isValid() || shown.isNull();
    if (storedNull || shownNull)
        return storedNull == shownNull;
    return stored.toString() == shown.toString();
}

} // namespace

void EditBuffer::openForAdd(qsizetype columns)
{
    m_mode = Mode::Add;
    m_values.assign(size_t(columns), QVariant());
    m_changed.assign(size_t(columns), false);
}

void EditBuffer::openForEdit(const std::vector<QVariant>& row, qsizetype columns)
{
    m_values = row;
    m_changed.assign(size_t(columns), false);
    m_mode = Mode::Edit;
}

void EditBuffer::expect(const QHash<QString, QVariant>& values)
{
    if (m_mode != Mode::Edit)
        throw EngineError(QStringLiteral("Expected values without Edit."));
    m_expected = values;
}

void EditBuffer::close()
{
    m_mode = Mode::None;
    m_values.clear();
    m_changed.clear();
    m_expected.clear();
}

void EditBuffer::followColumns(const QStringList& before, const RecordColumns& columns)
{
    std::vector<QVariant> values = std::move(m_values);
    std::vector<bool> changed = std::move(m_changed);
    m_values.assign(size_t(columns.size()), QVariant());
    m_changed.assign(size_t(columns.size()), false);
    for (qsizetype c = 0; c < before.size() && size_t(c) < values.size(); ++c) {
        const int at = columns.find(before.at(c));
        if (at < 0)
            continue;
        m_values[size_t(at)] = values[size_t(c)];
        m_changed[size_t(at)] = changed[size_t(c)];
    }
}

void EditBuffer::changedValues(const RecordColumns& columns, const QString& table, QStringList& names,
                               std::vector<QVariant>& values) const
{
    for (qsizetype c = 0; c < columns.size(); ++c) {
        if (!m_changed[c])
            continue;
        QVariant v = m_values[c];
        columns.validate(int(c), v, table);
        names << SqlTranslator::quoteName(columns.names().at(int(c)));
        values.push_back(v);
    }
}

qint64 EditBuffer::insert(SqliteConnection& connection, const RecordColumns& columns, const QString& tableName) const
{
    QStringList names;
    std::vector<QVariant> values;
    changedValues(columns, tableName, names, values);
    const QString table = SqlTranslator::quoteName(tableName);
    WriteTransaction transaction(connection);
    QString sql;
    if (names.isEmpty()) {
        sql = QStringLiteral("insert into %1 default values").arg(table);
    } else {
        QStringList marks;
        for (qsizetype i = 0; i < names.size(); ++i)
            marks << QStringLiteral("?");
        sql = QStringLiteral("insert into %1 (%2) values (%3)")
                  .arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    }
    auto statement = connection.prepare(sql);
    for (size_t i = 0; i < values.size(); ++i)
        statement->bind(int(i) + 1, values[i]);
    statement->step();
    const qint64 added = connection.lastInsertRowId();
    statement.reset();
    transaction.commit();
    return added;
}

void EditBuffer::store(SqliteConnection& connection, const RecordColumns& columns, const QString& tableName,
                       qint64 key) const
{
    QStringList names;
    std::vector<QVariant> values;
    changedValues(columns, tableName, names, values);
    const QString table = SqlTranslator::quoteName(tableName);
    WriteTransaction transaction(connection);
    {
        // Read under the write lock: what is compared is what gets overwritten.
        auto stored = connection.prepare(QStringLiteral("select * from %1 where rowid = ?").arg(table));
        stored->bindInt64(1, key);
        if (!stored->step())
            throw EngineError(EngineError::Kind::Deleted, QStringLiteral("The record has been deleted elsewhere."));
        for (auto it = m_expected.cbegin(); it != m_expected.cend(); ++it) {
            if (!sameValue(stored->value(columns.indexOf(it.key())), it.value()))
                throw EngineError(EngineError::Kind::Changed, QStringLiteral("The record has been changed elsewhere."));
        }
    }
    if (!names.isEmpty()) {
        QStringList assignments;
        for (const QString& name : names)
            assignments << name + QStringLiteral(" = ?");
        auto statement = connection.prepare(
            QStringLiteral("update %1 set %2 where rowid = ?").arg(table, assignments.join(QLatin1Char(','))));
        int index = 1;
        for (const QVariant& v : values)
            statement->bind(index++, v);
        statement->bindInt64(index, key);
        statement->step();
    }
    transaction.commit();
}

} // namespace quelto::catalog
