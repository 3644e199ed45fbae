#include "catalog/BackgroundQuery.h"

#include "catalog/ArchiveQuery.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqlTranslator.h"
#include "catalog/SqliteConnection.h"
#include "tasks/TaskControl.h"

namespace quelto::catalog {
namespace {

// A connection whose queries Cancel interrupts while it is open.
class CancellableConnection
{
public:
    CancellableConnection(const QString& path, tasks::TaskControl& control)
        : m_control(control), m_connection(SqliteConnection::open(path, SqliteConnection::Mode::OpenReadOnly))
    {
        std::weak_ptr<SqliteConnection> weak = m_connection;
        m_control.setInterrupt([weak] {
            if (auto c = weak.lock())
                c->interrupt();
        });
    }
    ~CancellableConnection() { m_control.setInterrupt({}); }
    CancellableConnection(const CancellableConnection&) = delete;
    CancellableConnection& operator=(const CancellableConnection&) = delete;

    SqliteConnection& operator*() { return *m_connection; }

    // An engine error that came of Cancel is the cancellation.
    template <typename Work> auto run(Work work)
    {
        try {
            return work(*m_connection);
        } catch (const EngineError&) {
            m_control.throwIfCancelled();
            throw;
        }
    }

private:
    tasks::TaskControl& m_control;
    std::shared_ptr<SqliteConnection> m_connection;
};

constexpr int CheckEvery = 4096;

} // namespace

void BackgroundQuery::run(const QString& path, tasks::TaskControl& control,
                          const std::function<void(SqliteConnection&)>& work)
{
    CancellableConnection connection(path, control);
    connection.run([&](SqliteConnection& c) {
        work(c);
        return 0;
    });
}

std::vector<qint64> BackgroundQuery::keys(const QString& path, const QString& translatedSql,
                                          tasks::TaskControl& control)
{
    CancellableConnection connection(path, control);
    return connection.run([&](SqliteConnection& c) {
        if (std::optional<std::vector<qint64>> planned = ArchiveQuery::keys(c, translatedSql, &control))
            return std::move(*planned);
        const QString keyQuery = RecordSet::keyQueryFor(translatedSql);
        auto statement = c.prepare(keyQuery.isEmpty() ? translatedSql : keyQuery);
        std::vector<qint64> keys;
        while (statement->step()) {
            if (keys.size() % CheckEvery == 0)
                control.throwIfCancelled();
            keys.push_back(statement->int64(0));
        }
        return keys;
    });
}

std::vector<QVariantList> BackgroundQuery::rows(const QString& path, const QString& translatedSql,
                                                const QStringList& columns, tasks::TaskControl& control)
{
    CancellableConnection connection(path, control);
    return connection.run([&](SqliteConnection& c) { return rows(c, translatedSql, columns, &control); });
}

std::vector<QVariantList> BackgroundQuery::rows(SqliteConnection& connection, const QString& translatedSql,
                                                const QStringList& columns, tasks::TaskControl* control)
{
    std::vector<qint64> keys;
    if (std::optional<std::vector<qint64>> planned = ArchiveQuery::keys(connection, translatedSql, control)) {
        keys = std::move(*planned);
    } else {
        const QString keyQuery = RecordSet::keyQueryFor(translatedSql);
        if (keyQuery.isEmpty())
            throw EngineError(QStringLiteral("Operation is not supported for this type of object."));
        auto statement = connection.prepare(keyQuery);
        while (statement->step())
            keys.push_back(statement->int64(0));
    }
    QStringList quoted;
    for (const QString& column : columns)
        quoted << SqlTranslator::quoteName(column);
    const QString table = SqlTranslator::quoteName(RecordSet::tableFor(translatedSql));
    auto read = connection.prepare(QStringLiteral("select %1 from %2 where rowid = ?").arg(quoted.join(u','), table));
    std::vector<QVariantList> out;
    out.reserve(keys.size());
    for (const qint64 key : keys) {
        if (control && out.size() % CheckEvery == 0)
            control->throwIfCancelled();
        read->reset();
        read->bindInt64(1, key);
        if (!read->step())
            continue; // gone since
        QVariantList row;
        for (int c = 0; c < columns.size(); ++c)
            row << read->value(c);
        out.push_back(std::move(row));
    }
    return out;
}

std::vector<QVariant> BackgroundQuery::values(const QString& path, const QString& translatedSql,
                                              tasks::TaskControl& control)
{
    CancellableConnection connection(path, control);
    return connection.run([&](SqliteConnection& c) {
        if (std::optional<std::vector<QVariant>> grouped = ArchiveQuery::groupValues(c, translatedSql, &control))
            return std::move(*grouped);
        auto statement = c.prepare(translatedSql);
        std::vector<QVariant> values;
        while (statement->step()) {
            if (values.size() % CheckEvery == 0)
                control.throwIfCancelled();
            values.push_back(statement->value(0));
        }
        return values;
    });
}

} // namespace quelto::catalog
