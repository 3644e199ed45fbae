#pragma once

#include "completion/ValuePool.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace quelto::catalog {
class SqliteConnection;
}
namespace quelto::tasks {
class TaskControl;
}

namespace quelto::completion {

// The people, companies and genres the catalogue holds, each list entry
// (" / " between them) a value of its own, for the record form to offer as
// they are typed. A person is offered in every people field, whichever role
// the catalogue has them in.
class CatalogValues
{
public:
    enum class Kind
    {
        People,
        Company,
        Genre
    };
    static constexpr int KindCount = 3;

    // The archive columns of a kind.
    static const QStringList& columns(Kind kind);
    // The kind of an archive column, if it has one.
    static std::optional<Kind> kindOf(const QString& column);

    // Reads every value in one pass over archive (its columns the file has).
    // Throws catalog::EngineError; stops with TaskCancelled when asked.
    static CatalogValues read(catalog::SqliteConnection& connection, tasks::TaskControl* control = nullptr);

    // A value stored in a column since (a list is split into its entries).
    void add(Kind kind, const QString& value);
    QStringList beginningWith(Kind kind, const QString& text, int limit) const;
    // How the catalogue spells a value (case and accents aside); empty if it does not hold it.
    QString spellingOf(Kind kind, const QString& value) const { return m_pools[size_t(kind)].spellingOf(value); }
    size_t size(Kind kind) const { return m_pools[size_t(kind)].size(); }

private:
    std::array<ValuePool, KindCount> m_pools;
};

} // namespace quelto::completion
