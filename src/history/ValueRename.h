#pragma once

#include "history/CatalogChange.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <vector>

namespace quelto::history {

// One value renamed in every record: "United States" into "USA" in the
// country column, two spellings of a director into one. A field that holds
// it alone takes the new value; a list (" / " between its entries) has the
// entry renamed (an entry that then stands twice is kept once). Values are
// compared as the catalogue compares text, blanks around them left out.
// Undo puts back each field as it was.
class ValueRename : public CatalogChange
{
public:
    static inline const QString ListSeparator = QStringLiteral(" / ");

    ValueRename(QStringList columns, QString from, QString into);

    // The value with from renamed into into, nothing when it does not hold from.
    static std::optional<QString> renamed(const QString& value, const QString& from, const QString& into);
    // How many records hold from in one of the columns.
    static int recordsHolding(catalog::SqliteConnection& connection, const QStringList& columns, const QString& from);

    // Renames in one write transaction; the number of records changed.
    int apply(catalog::SqliteConnection& connection);

    QString name() const override; // Merge "United States" into "USA"
    void undo(catalog::SqliteConnection& connection, bool force) override;
    void redo(catalog::SqliteConnection& connection, bool force) override;

private:
    struct Field
    {
        qint64 row;
        int column; // in m_columns
        QVariant before;
        QString after;
    };
    template <typename Visit> static void eachHolding(catalog::SqliteConnection& connection, const QStringList& columns,
                                                      const QString& from, const QString& into, Visit visit);
    void write(catalog::SqliteConnection& connection, bool toAfter, bool force);

    QStringList m_columns;
    QString m_from;
    QString m_into;
    std::vector<Field> m_fields;
};

} // namespace quelto::history
