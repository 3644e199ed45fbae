#include "catalog/RecordColumns.h"

#include "catalog/EngineError.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"

namespace quelto::catalog {
namespace {

constexpr int kMaxTextLength = 255;

RecordColumns::FieldType typeOf(const QString& declared)
{
    const QString t = declared.toUpper();
    if (t.startsWith(QLatin1String("SMALLINT")))
        return RecordColumns::FieldType::Integer16;
    if (t.contains(QLatin1String("TEXT")) || t.contains(QLatin1String("CHAR")))
        return RecordColumns::FieldType::Text;
    return RecordColumns::FieldType::Other;
}

} // namespace

void RecordColumns::loadTable(SqliteConnection& connection, const QString& table)
{
    m_names.clear();
    m_types.clear();
    m_index.clear();
    auto info = connection.prepare(QStringLiteral("pragma table_info(%1)").arg(SqlTranslator::quoteName(table)));
    while (info->step()) {
        const QString name = info->value(1).toString();
        m_index.insert(name.toLower(), int(m_names.size()));
        m_names << name;
        m_types.push_back(typeOf(info->value(2).toString()));
    }
}

void RecordColumns::loadResult(const SqliteStatement& statement)
{
    const int columns = statement.columnCount();
    m_names.clear();
    m_index.clear();
    m_types.assign(columns, FieldType::Other);
    for (int c = 0; c < columns; ++c) {
        m_index.insert(statement.columnName(c).toLower(), c);
        m_names << statement.columnName(c);
    }
}

void RecordColumns::setSingle(const QString& name)
{
    m_names = QStringList{name};
    m_index.clear();
    m_index.insert(name.toLower(), 0);
    m_types.assign(1, FieldType::Other);
}

int RecordColumns::indexOf(const QString& column) const
{
    const auto it = m_index.constFind(column.toLower());
    if (it == m_index.constEnd())
        throw EngineError(QStringLiteral("Item not found in this collection: %1").arg(column));
    return it.value();
}

int RecordColumns::find(const QString& column) const
{
    const auto it = m_index.constFind(column.toLower());
    return it == m_index.constEnd() ? -1 : it.value();
}

void RecordColumns::validate(int column, QVariant& value, const QString& table) const
{
    if (!value.isValid() || value.isNull()) {
        value = QVariant();
        return;
    }
    const QString& name = m_names.at(column);
    switch (m_types[column]) {
    case FieldType::Text: {
        const QString text = value.toString();
        if (text.isEmpty())
            throw EngineError(EngineError::Kind::Refused,
                              QStringLiteral("Field '%1.%2' cannot be a zero-length string.").arg(table, name));
        if (text.size() > kMaxTextLength)
            throw EngineError(EngineError::Kind::Refused,
                              QStringLiteral("The text for field '%1.%2' is longer than %3 characters.")
                                  .arg(table, name)
                                  .arg(kMaxTextLength));
        value = text;
        break;
    }
    case FieldType::Integer16: {
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        if (!ok)
            throw EngineError(EngineError::Kind::Refused,
                              QStringLiteral("Data type conversion error in field '%1.%2'.").arg(table, name));
        if (number < -32768 || number > 32767)
            throw EngineError(EngineError::Kind::Refused,
                              QStringLiteral("Numeric field overflow in field '%1.%2'.").arg(table, name));
        value = QVariant(number);
        break;
    }
    case FieldType::Other:
        break;
    }
}

} // namespace quelto::catalog
