#include "catalog/RecordSet.h"

#include "catalog/ArchiveQuery.h"
#include "catalog/ArchiveQueryPlan.h"
#include "catalog/EngineError.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"
#include "catalog/WriteTransaction.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>
#include <atomic>

namespace quelto::catalog {
namespace {

constexpr int kMaxTextLength = 255;

const QString& noCurrentRecord()
{
    static const QString text = QStringLiteral("No current record.");
    return text;
}

QString unquoteName(const QString& name)
{
    if (name.size() >= 2 && ((name.front() == QLatin1Char('"') && name.back() == QLatin1Char('"')) ||
                             (name.front() == QLatin1Char('[') && name.back() == QLatin1Char(']')))) {
        QString inner = name.mid(1, name.size() - 2);
        inner.replace(QLatin1String("\"\""), QLatin1String("\""));
        return inner;
    }
    return name;
}

RecordSet::FieldType typeOf(const QString& declared)
{
    const QString t = declared.toUpper();
    if (t.startsWith(QLatin1String("SMALLINT")))
        return RecordSet::FieldType::Integer16;
    if (t.contains(QLatin1String("TEXT")) || t.contains(QLatin1String("CHAR")))
        return RecordSet::FieldType::Text;
    return RecordSet::FieldType::Other;
}

bool sameValue(const QVariant& stored, const QVariant& shown)
{
    const bool storedNull = !stored.isValid() || stored.isNull();
    const bool shownNull = !shown.isValid() || shown.isNull();
    if (storedNull || shownNull)
        return storedNull == shownNull;
    return stored.toString() == shown.toString();
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
    loadSchema();
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

// "select * from TABLE rest" over one table is kept by row key and is updatable.
struct KeyedQuery
{
    QString table;
    QString keyQuery;
};

KeyedQuery keyedQuery(const QString& translated)
{
    static const QRegularExpression keyed(
        QStringLiteral(R"(^\s*select\s+\*\s+from\s+("(?:[^"]|"")+"|\[[^\]]+\]|\w+)(.*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression notSingleTable(QStringLiteral(R"(^\s*,|\bgroup\s+by\b|\bjoin\b|\bunion\b)"),
                                                   QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = keyed.match(translated);
    if (!match.hasMatch() || match.captured(2).contains(notSingleTable))
        return {};
    const QString table = unquoteName(match.captured(1));
    return {table, QStringLiteral("select rowid from ") + SqlTranslator::quoteName(table) + match.captured(2)};
}

std::atomic<quint64> lastGeneration{0};

} // namespace

QString RecordSet::keyQueryFor(const QString& translatedSql) { return keyedQuery(translatedSql).keyQuery; }

QString RecordSet::tableFor(const QString& translatedSql) { return keyedQuery(translatedSql).table; }

void RecordSet::parseQuery()
{
    KeyedQuery keyed = keyedQuery(m_translated);
    m_table = std::move(keyed.table);
    m_keyQuery = std::move(keyed.keyQuery);
    touch();
}

void RecordSet::touch() { m_generation = ++lastGeneration; }

RecordSet::~RecordSet() = default;

void RecordSet::loadSchema()
{
    m_columns.clear();
    m_types.clear();
    m_columnIndex.clear();
    auto info = m_connection->prepare(QStringLiteral("pragma table_info(%1)").arg(SqlTranslator::quoteName(m_table)));
    while (info->step()) {
        const QString name = info->value(1).toString();
        m_columnIndex.insert(name.toLower(), int(m_columns.size()));
        m_columns << name;
        m_types.push_back(typeOf(info->value(2).toString()));
    }
}

void RecordSet::runQuery()
{
    m_connection->reopenIfMoved(); // a file put back in place of one that vanished
    touch();
    m_dataVersion = dataVersion();
    m_rowCacheValid = false;
    m_rowQuery.reset();
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
        loadSchema();
    } else if (std::optional<std::vector<QVariant>> values = ArchiveQuery::groupValues(*m_connection, m_translated)) {
        const std::optional<ArchiveQueryPlan> plan = ArchiveQueryPlan::parse(m_translated);
        m_rows.clear();
        for (QVariant& value : *values)
            m_rows.push_back({std::move(value)});
        m_columns = QStringList{plan->distinctColumn};
        m_columnIndex.clear();
        m_columnIndex.insert(plan->distinctColumn.toLower(), 0);
        m_types.assign(1, FieldType::Other);
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
        m_columns.clear();
        m_columnIndex.clear();
        m_types.assign(columns, FieldType::Other);
        for (int c = 0; c < columns; ++c) {
            m_columnIndex.insert(statement->columnName(c).toLower(), c);
            m_columns << statement->columnName(c);
        }
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
    endEdit();
    const int count = recordCount();
    m_position = position < 0 ? BeforeFirst : std::min(position, count);
    m_onDeletedRow = false;
    // A row is read afresh on every move: another program may have changed it.
    m_rowCacheValid = false;
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
    m_editMode = EditMode::Add;
    m_buffer.assign(m_columns.size(), QVariant());
    m_changed.assign(m_columns.size(), false);
}

void RecordSet::edit()
{
    requireCurrentRow();
    if (!isUpdatable())
        throw EngineError(QStringLiteral("Operation is not supported for this type of object."));
    m_buffer = currentRow();
    m_changed.assign(m_columns.size(), false);
    m_editMode = EditMode::Edit;
}

void RecordSet::expect(const QHash<QString, QVariant>& values)
{
    if (m_editMode != EditMode::Edit)
        throw EngineError(QStringLiteral("Expected values without Edit."));
    m_expected = values;
}

void RecordSet::endEdit()
{
    m_editMode = EditMode::None;
    m_buffer.clear();
    m_changed.clear();
    m_expected.clear();
}

void RecordSet::cancelUpdate() { endEdit(); }

void RecordSet::validate(int column, QVariant& value) const
{
    if (!value.isValid() || value.isNull()) {
        value = QVariant();
        return;
    }
    const QString& name = m_columns.at(column);
    switch (m_types[column]) {
    case FieldType::Text: {
        const QString text = value.toString();
        if (text.isEmpty())
            throw EngineError(EngineError::Kind::Refused,
                              QStringLiteral("Field '%1.%2' cannot be a zero-length string.").arg(m_table, name));
        if (text.size() > kMaxTextLength)
            throw EngineError(EngineError::Kind::Refused,
                              QStringLiteral("The text for field '%1.%2' is longer than %3 characters.")
                                  .arg(m_table, name)
                                  .arg(kMaxTextLength));
        value = text;
        break;
    }
    case FieldType::Integer16: {
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        if (!ok)
            throw EngineError(EngineError::Kind::Refused,
                              QStringLiteral("Data type conversion error in field '%1.%2'.").arg(m_table, name));
        if (number < -32768 || number > 32767)
            throw EngineError(EngineError::Kind::Refused,
                              QStringLiteral("Numeric field overflow in field '%1.%2'.").arg(m_table, name));
        value = QVariant(number);
        break;
    }
    case FieldType::Other:
        break;
    }
}

void RecordSet::update()
{
    requireOpen();
    if (m_editMode == EditMode::None)
        throw EngineError(QStringLiteral("Update without AddNew or Edit."));
    QStringList names;
    std::vector<QVariant> values;
    for (qsizetype c = 0; c < m_columns.size(); ++c) {
        if (!m_changed[c])
            continue;
        QVariant v = m_buffer[c];
        validate(int(c), v);
        names << SqlTranslator::quoteName(m_columns.at(int(c)));
        values.push_back(v);
    }
    const QString table = SqlTranslator::quoteName(m_table);
    if (m_editMode == EditMode::Add) {
        WriteTransaction transaction(*m_connection);
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
        auto statement = m_connection->prepare(sql);
        for (size_t i = 0; i < values.size(); ++i)
            statement->bind(int(i) + 1, values[i]);
        statement->step();
        const qint64 added = m_connection->lastInsertRowId();
        statement.reset();
        transaction.commit();
        const bool wasAfterLast = !m_onDeletedRow && m_position >= recordCount();
        m_lastModified = added;
        m_keys.push_back(m_lastModified);
        touch();
        if (wasAfterLast)
            m_position = recordCount();
    } else {
        updateRow(names, values);
        touch();
    }
    endEdit();
}

void RecordSet::updateRow(const QStringList& names, const std::vector<QVariant>& values)
{
    const qint64 key = m_keys.at(m_position);
    const QString table = SqlTranslator::quoteName(m_table);
    WriteTransaction transaction(*m_connection);
    {
        // Read under the write lock: what is compared is what gets overwritten.
        auto stored = m_connection->prepare(QStringLiteral("select * from %1 where rowid = ?").arg(table));
        stored->bindInt64(1, key);
        if (!stored->step())
            throw EngineError(EngineError::Kind::Deleted, QStringLiteral("The record has been deleted elsewhere."));
        for (auto it = m_expected.cbegin(); it != m_expected.cend(); ++it) {
            if (!sameValue(stored->value(columnIndex(it.key())), it.value()))
                throw EngineError(EngineError::Kind::Changed, QStringLiteral("The record has been changed elsewhere."));
        }
    }
    if (!names.isEmpty()) {
        QStringList assignments;
        for (const QString& name : names)
            assignments << name + QStringLiteral(" = ?");
        auto statement = m_connection->prepare(
            QStringLiteral("update %1 set %2 where rowid = ?").arg(table, assignments.join(QLatin1Char(','))));
        int index = 1;
        for (const QVariant& v : values)
            statement->bind(index++, v);
        statement->bindInt64(index, key);
        statement->step();
    }
    transaction.commit();
    m_lastModified = key;
    m_rowCacheValid = false;
}

void RecordSet::deleteRecord()
{
    requireCurrentRow();
    if (!isUpdatable())
        throw EngineError(QStringLiteral("Operation is not supported for this type of object."));
    endEdit();
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
    m_rowCacheValid = false;
}

void RecordSet::requery()
{
    requireOpen();
    endEdit();
    runQuery();
}

void RecordSet::close()
{
    endEdit();
    m_open = false;
    touch();
    m_rowQuery.reset();
    m_keys = {};
    m_rows = {};
    m_rowCacheValid = false;
}

void RecordSet::columnsChanged()
{
    if (!isUpdatable() || !m_open)
        return;
    const QStringList before = m_columns;
    std::vector<QVariant> buffer = std::move(m_buffer);
    std::vector<bool> changed = std::move(m_changed);
    loadSchema();
    m_rowQuery.reset();
    m_rowCacheValid = false;
    if (m_editMode == EditMode::None)
        return;
    // The buffer follows the columns by name.
    m_buffer.assign(m_columns.size(), QVariant());
    m_changed.assign(m_columns.size(), false);
    for (qsizetype c = 0; c < before.size() && size_t(c) < buffer.size(); ++c) {
        const auto it = m_columnIndex.constFind(before.at(c).toLower());
        if (it == m_columnIndex.constEnd())
            continue;
        m_buffer[size_t(it.value())] = buffer[size_t(c)];
        m_changed[size_t(it.value())] = changed[size_t(c)];
    }
}

QStringList RecordSet::fieldNames() const { return m_columns; }

int RecordSet::columnIndex(const QString& column) const
{
    const auto it = m_columnIndex.constFind(column.toLower());
    if (it == m_columnIndex.constEnd())
        throw EngineError(QStringLiteral("Item not found in this collection: %1").arg(column));
    return it.value();
}

const std::vector<QVariant>& RecordSet::currentRow() const
{
    if (!isUpdatable())
        return m_rows.at(m_position);
    const qint64 key = m_keys.at(m_position);
    if (m_rowCacheValid && m_rowCacheKey == key)
        return m_rowCache;
    if (!m_rowQuery || m_rowQueryGeneration != m_connection->generation()) {
        m_rowQueryGeneration = m_connection->generation();
        m_rowQuery = m_connection->prepare(QStringLiteral("select * from %1 where rowid = ?")
                                               .arg(SqlTranslator::quoteName(m_table)));
    }
    m_rowQuery->reset();
    m_rowQuery->bindInt64(1, key);
    if (!m_rowQuery->step()) {
        m_rowQuery->reset();
        throw EngineError(EngineError::Kind::Deleted, QStringLiteral("Record is deleted."));
    }
    const int columns = m_rowQuery->columnCount();
    m_rowCache.resize(columns);
    for (int c = 0; c < columns; ++c)
        m_rowCache[c] = m_rowQuery->value(c);
    m_rowQuery->reset();
    m_rowCacheKey = key;
    m_rowCacheValid = true;
    return m_rowCache;
}

QVariant RecordSet::value(const QString& column) const
{
    requireOpen();
    const int index = columnIndex(column);
    if (m_editMode != EditMode::None)
        return m_buffer.at(index);
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
    if (m_editMode == EditMode::None)
        throw EngineError(QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    const int index = columnIndex(column);
    m_buffer[index] = value;
    m_changed[index] = true;
}

void RecordSet::placeRow(qint64 key, int position)
{
    requireOpen();
    if (!isUpdatable())
        throw EngineError(QStringLiteral("Operation is not supported for this type of object."));
    endEdit();
    const auto at = std::find(m_keys.begin(), m_keys.end(), key);
    if (at != m_keys.end())
        m_keys.erase(at);
    position = std::clamp(position, 0, int(m_keys.size()));
    m_keys.insert(m_keys.begin() + position, key);
    touch();
    setPosition(position);
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
