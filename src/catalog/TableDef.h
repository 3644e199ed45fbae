#pragma once

#include <QString>
#include <vector>

namespace quelto::catalog {

enum class FieldType
{
    Text,     // text without a given size: at most 255 characters, never zero-length
    Integer16 // 16-bit signed whole number
};

struct FieldDef
{
    QString name;
    FieldType type = FieldType::Text;
};

// A table definition: created, given its fields, then appended to a database.
class TableDef
{
public:
    explicit TableDef(QString name) : m_name(std::move(name)) {}

    void appendField(const QString& name, FieldType type) { m_fields.push_back({name, type}); }
    const QString& name() const { return m_name; }
    const std::vector<FieldDef>& fields() const { return m_fields; }

private:
    QString m_name;
    std::vector<FieldDef> m_fields;
};

} // namespace quelto::catalog
