#pragma once

#include <QStringList>

namespace quelto::catalog {

class SqliteConnection;

// The columns the archive table of an open file has, in table order and in
// lower case: the 24 and whatever own columns the file has gained. Readers
// that take a missing own column as empty ask here.
class ArchiveColumns
{
public:
    static QStringList present(SqliteConnection& connection);
};

} // namespace quelto::catalog
