#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace quelto::test {

// Catalogue files for tests.
class TestCatalog
{
public:
    using Row = QMap<QString, QVariant>; // column -> value; absent columns stay Null

    // A new catalogue with every table and the given archive rows.
    static void create(const QString& path, const QList<Row>& rows = {});
    static void addRows(const QString& path, const QList<Row>& rows);
    // A record with every text column filled from a prefix: "title" -> prefix.
    static Row record(const QString& title, const QString& catalog = QStringLiteral("A1"));

    static QStringList tables(const QString& path);
    static int rowCount(const QString& path, const QString& table);
    static QByteArray fileBytes(const QString& path);
};

} // namespace quelto::test
