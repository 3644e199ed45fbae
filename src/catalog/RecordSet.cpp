#include "catalog/RecordSet.h"

#include "catalog/ArchiveQuery.h"
#include "catalog/ArchiveQueryPlan.h"
#include "catalog/EngineError.h"
#include "catalog/KeyedQuery.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"

#include <algorithm>
#include <atomic>

namespace quelto::catalog {
namespace {

const QString& noCurrentRecord()
{
    static const QString text = QStringLiteral("No current record.");
    return text;
}

} // namespace

RecordSet::RecordSet(std::shared_ptr<SqliteConnection> connection, QString sql, QString translatedSql)
    : m_connection(std::move(connection)), m_sql(std::move(sql)), m_translated(std::move(translatedSql))
{
    parseQuery();
    runQuery();
}

RecordSet::RecordSet(std::shared_ptr<SqliteConnection> connection, QString sql, QString translatedSql,
                     std::vector<qint64> keys)
    : m_connection(std::move(connection)), m_sql(std::move(sql)), m_translated(std::move(translatedSql))
{
    parseQuery();
    if (!isUpdatable())
        throw EngineError(QStringLiteral("Operation is not supported for this type of object."));
    m_keys = std::move(keys);
    m_columns.loadTable(*m_connection, m_table);
    m_dataVersion = dataVersion();
    m_position = recordCount() > 0 ? 0 : BeforeFirst;
}

qint64 RecordSet::dataVersion() const
{
    auto version = m_connection->prepare(QStringLiteral("pragma data_version"));
    return version->step() ? version->int64(0) : -1;
}

bool RecordSet::changedElsewhere() const { return m_dataVersion < 0 || dataVersion() != m_dataVersion; }

namespace {

std::atomic<quint64> lastGeneration{0};

} // namespace

QString RecordSet::keyQueryFor(const QString& translatedSql) { return KeyedQuery::parse(translatedSql).keyQuery; }

QString RecordSet::tableFor(const QString& translatedSql) { return KeyedQuery::parse(translatedSql).table; }

void RecordSet::parseQuery()
{
    KeyedQuery keyed = KeyedQuery::parse(m_translated);
    m_table = std::move(keyed.table);
    m_keyQuery = std::move(keyed.keyQuery);
    touch();
}

void RecordSet::touch() { m_generation = ++lastGeneration; }

RecordSet::~RecordSet() = default;

void RecordSet::runQuery()
{
    m_connection->reopenIfMoved(); // a file put back in place of one that vanished
    touch();
    m_dataVersion = dataVersion();
    m_reader.reset();
    if (isUpdatable()) {
        std::optional<std::vector<qint64>> planned;
        if (m_table.compare(QLatin1String("archive"), Qt::CaseInsensitive) == 0)
            planned = ArchiveQuery::keys(*m_connection, m_translated);
        if (planned) {
            m_keys = std::move(*planned);
        } else {
            auto statement = m_connection->prepare(m_keyQuery);
            std::vector<qint64> keys;
            while (statement->step())
                keys.push_back(statement->int64(0));
            m_keys = std::move(keys);
        }
        m_columns.loadTable(*m_connection, m_table);
    } else if (std::optional<std::vector<QVariant>> values = ArchiveQuery::groupValues(*m_connection, m_translated)) {
        const std::optional<ArchiveQueryPlan> plan = ArchiveQueryPlan::parse(m_translated);
        m_rows.clear();
        for (QVariant& value : *values)
            m_rows.push_back({std::move(value)});
        m_columns.setSingle(plan->distinctColumn);
    } else {
        auto statement = m_connection->prepare(m_translated);
        std::vector<std::vector<QVariant>> rows;
        const int columns = statement->columnCount();
        while (statement->step()) {
            std::vector<QVariant> row(columns);
            for (int c = 0; c < columns; ++c)
                row[c] = statement->value(c);
            rows.push_back(std::move(row));
        }
        m_rows = std::move(rows);
        m_columns.loadResult(*statement);
    }
    m_onDeletedRow = false;
    m_position = recordCount() > 0 ? 0 : BeforeFirst;
}

void RecordSet::requireOpen() const
{
    if (!m_open)
        throw EngineError(QStringLiteral("The record set is closed."));
}

void RecordSet::requireCurrentRow() const
{
    requireOpen();
    if (m_onDeletedRow)
        throw EngineError(EngineError::Kind::Deleted, QStringLiteral("Record is deleted."));
    if (!hasCurrentRow())
        throw EngineError(noCurrentRecord());
}

int RecordSet::recordCount() const
{
    return int(isUpdatable() ? m_keys.size() : m_rows.size());
}

bool RecordSet::bof() const { return recordCount() == 0 || (!m_onDeletedRow && m_position == BeforeFirst); }

bool RecordSet::eof() const { return recordCount() == 0 || (!m_onDeletedRow && m_position >= recordCount()); }

bool RecordSet::hasCurrentRow() const
{
    return m_open && !m_onDeletedRow && m_position >= 0 && m_position < recordCount();
}

int RecordSet::absolutePosition() const { return hasCurrentRow() ? m_position : -1; }

void RecordSet::setPosition(int position)
{
    m_edit.close();
    const int count = recordCount();
    m_position = position < 0 ? BeforeFirst : std::min(position, count);
    m_onDeletedRow = false;
    // A row is read afresh on every move: another program may have changed it.
    m_reader.drop();
}

void RecordSet::moveFirst()
{
    requireOpen();
    if (recordCount() == 0)
        throw EngineError(noCurrentRecord());
    setPosition(0);
}

void RecordSet::moveLast()
{
    requireOpen();
    if (recordCount() == 0)
        throw EngineError(noCurrentRecord());
    setPosition(recordCount() - 1);
}

void RecordSet::moveNext()
{
    requireOpen();
    if (eof())
        throw EngineError(noCurrentRecord());
    // After a deletion the row that followed the deleted one has taken its place.
    setPosition(m_onDeletedRow ? m_position : m_position + 1);
}

void RecordSet::movePrevious()
{
    requireOpen();
    if (bof())
        throw EngineError(noCurrentRecord());
    setPosition(m_position - 1);
}

void RecordSet::move(int rows)
{
    requireOpen();
    if (rows == 0) {
        requireCurrentRow();
        return;
    }
    if (recordCount() == 0 || (rows < 0 && bof()) || (rows > 0 && eof()))
        throw EngineError(noCurrentRecord());
    const qint64 from = m_onDeletedRow && rows > 0 ? m_position - 1 : m_position;
    const qint64 target = from + rows;
    setPosition(int(std::clamp<qint64>(target, BeforeFirst, recordCount())));
}

void RecordSet::addNew()
{
    requireOpen();
    if (!isUpdatable())
        throw EngineError(QStringLiteral("Operation is not supported for this type of object."));
    m_edit.openForAdd(m_columns.size());
}

void RecordSet::edit()
{
    requireCurrentRow();
    if (!isUpdatable())
        throw EngineError(QStringLiteral("Operation is not supported for this type of object."));
    m_edit.openForEdit(currentRow(), m_columns.size());
}

void RecordSet::expect(const QHash<QString, QVariant>& values) { m_edit.expect(values); }

void RecordSet::cancelUpdate() { m_edit.close(); }

void RecordSet::update()
{
    requireOpen();
    if (!m_edit.isOpen())
        throw EngineError(QStringLiteral("Update without AddNew or Edit."));
    if (m_edit.mode() == EditBuffer::Mode::Add) {
        const qint64 added = m_edit.insert(*m_connection, m_columns, m_table);
        const bool wasAfterLast = !m_onDeletedRow && m_position >= recordCount();
        m_lastModified = added;
        m_keys.push_back(m_lastModified);
        touch();
        if (wasAfterLast)
            m_position = recordCount();
    } else {
        const qint64 key = m_keys.at(m_position);
        m_edit.store(*m_connection, m_columns, m_table, key);
        m_lastModified = key;
        m_reader.drop();
        touch();
    }
    m_edit.close();
}

void RecordSet::deleteRecord()
{
    requireCurrentRow();
    if (!isUpdatable())
        throw EngineError(QStringLiteral("Operation is not supported for this type of object."));
    m_edit.close();
    {
        WriteTransaction transaction(*m_connection);
        auto statement = m_connection->prepare(
            QStringLiteral("delete from %1 where rowid = ?").arg(SqlTranslator::quoteName(m_table)));
        statement->bindInt64(1, m_keys.at(m_position));
        statement->step();
        statement.reset();
        transaction.commit();
    }
    m_keys.erase(m_keys.begin() + m_position);
    touch();
    m_onDeletedRow = true;
    m_reader.drop();
}

void RecordSet::requery()
{
    requireOpen();
    m_edit.close();
    runQuery();
}

void RecordSet::close()
{
    m_edit.close();
    m_open = false;
    touch();
    m_reader.reset();
    m_keys = {};
    m_rows = {};
}

void RecordSet::columnsChanged()
{
    if (!isUpdatable() || !m_open)
        return;
    const QStringList before = m_columns.names();
    m_columns.loadTable(*m_connection, m_table);
    m_reader.reset();
    if (m_edit.isOpen())
        m_edit.followColumns(before, m_columns);
}

QStringList RecordSet::fieldNames() const { return m_columns.names(); }

const std::vector<QVariant>& RecordSet::currentRow() const
{
    if (!isUpdatable())
        return m_rows.at(m_position);
    return m_reader.row(*m_connection, m_table, m_keys.at(m_position));
}

QVariant RecordSet::value(const QString& column) const
{
    requireOpen();
    const int index = m_columns.indexOf(column);
    if (m_edit.isOpen())
        return m_edit.value(index);
    requireCurrentRow();
    const std::vector<QVariant>& row = currentRow();
    return index < int(row.size()) ? row[index] : QVariant();
}

QString RecordSet::text(const QString& column) const
{
    const QVariant v = value(column);
    if (!v.isValid() || v.isNull())
        throw EngineError(QStringLiteral("Invalid use of Null in field '%1'.").arg(column));
    return v.toString();
}

void RecordSet::setValue(const QString& column, const QVariant& value)
{
    requireOpen();
    if (!m_edit.isOpen())
        throw EngineError(QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    m_edit.setValue(m_columns.indexOf(column), value);
}

void RecordSet::placeRow(qint64 key, int position)
{
    requireOpen();
    if (!isUpdatable())
        throw EngineError(QStringLiteral("Operation is not supported for this type of object."));
    m_edit.close();
    const auto at = std::find(m_keys.begin(), m_keys.end(), key);
    if (at != m_keys.end())
        m_keys.erase(at);
    position = std::clamp(position, 0, int(m_keys.size()));
    m_keys.insert(m_keys.begin() + position, key);
    touch();
    setPosition(position);
}

bool RecordSet::dropRow(qint64 key)
{
    requireOpen();
    if (!isUpdatable())
        throw EngineError(QStringLiteral("Operation is not supported for this type of object."));
    const auto at = std::find(m_keys.begin(), m_keys.end(), key);
    if (at == m_keys.end())
        return false;
    m_edit.close();
    const int index = int(at - m_keys.begin());
    const bool wasCurrent = hasCurrentRow() && index == m_position;
    const bool wasOnDeleted = m_onDeletedRow;
    m_keys.erase(at);
    touch();
    int position = m_position;
    if (index < m_position)
        --position;
    if (wasCurrent)
        position = std::min(index, recordCount() - 1);
    if (wasCurrent || !wasOnDeleted)
        setPosition(position < 0 && recordCount() == 0 ? BeforeFirst : position);
    else
        m_position = position;
    return true;
}

qint64 RecordSet::bookmark() const
{
    requireCurrentRow();
    return isUpdatable() ? m_keys.at(m_position) : m_position;
}

void RecordSet::setBookmark(qint64 key)
{
    requireOpen();
    if (!isUpdatable()) {
        if (key < 0 || key >= recordCount())
            throw EngineError(QStringLiteral("Not a valid bookmark."));
        setPosition(int(key));
        return;
    }
    for (size_t i = m_keys.size(); i-- > 0;) {
        if (m_keys[i] == key) {
            setPosition(int(i));
            return;
        }
    }
    throw EngineError(QStringLiteral("Not a valid bookmark."));
}

} // namespace quelto::catalog
