#include "search/OrderRefresher.h"

#include "catalog/BackgroundQuery.h"
#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/KeptOrder.h"
#include "catalog/OrderCache.h"
#include "catalog/SqliteConnection.h"
#include "search/SearchQuery.h"
#include "tasks/BackgroundTask.h"
#include "tasks/CommandRunner.h"

#include <QPointer>
#include <QTimer>

namespace quelto::search {

OrderRefresher::OrderRefresher(catalog::CatalogState& state, tasks::CommandRunner& runner, QObject* parent)
    : QObject(parent), m_state(state), m_runner(runner), m_pause(new QTimer(this))
{
    m_pause->setSingleShot(true);
    m_pause->setInterval(PauseMs);
    connect(m_pause, &QTimer::timeout, this, &OrderRefresher::refresh);
}

OrderRefresher::~OrderRefresher() { stop(); }

QStringList OrderRefresher::signatures() const
{
    QStringList names = {catalog::KeptOrder::openingSignature()};
    // "order by mv_director,mv_year" -> "mv_director asc|mv_year asc"
    const QString clause = m_state.orderClause.trimmed().section(QLatin1Char(' '), 2).simplified();
    QStringList terms;
    for (QString term : clause.split(u',', Qt::SkipEmptyParts)) {
        term = term.trimmed().toLower();
        terms << (term.contains(QLatin1Char(' ')) ? term : term + QStringLiteral(" asc"));
    }
    if (!terms.isEmpty() && !names.contains(terms.join(u'|')))
        names << terms.join(u'|');
    return names;
}

void OrderRefresher::fileMayHaveChanged()
{
    if (!m_state.database)
        return;
    catalog::SqliteConnection* connection = m_state.database->connection().get();
    if (m_hookedConnection != connection) {
        m_hookedConnection = connection;
        QPointer<OrderRefresher> self = this;
        connection->addBeforeWrite([self] {
            if (self)
                self->stop();
        });
    }
    if (!connection->changeStored() || isCurrent())
        return; // nothing of the window's own to catch up with
    m_pause->start();
}

bool OrderRefresher::isCurrent() const
{
    catalog::SqliteConnection& connection = *m_state.database->connection();
    if (connection.inTransaction())
        return true;
    std::optional<catalog::OrderCache::Stamp> stamp;
    try {
        connection.exec(QStringLiteral("begin"));
        auto touch = connection.prepare(QStringLiteral("select count(*) from sqlite_master"));
        touch->step();
        touch.reset();
        stamp = catalog::OrderCache::stampOf(connection);
        connection.exec(QStringLiteral("commit"));
    } catch (const catalog::EngineError&) {
        return true;
    }
    if (!stamp)
        return true; // nothing the cache could keep
    for (const QString& signature : signatures()) {
        if (!catalog::OrderCache::shared().order(*stamp, signature))
            return false;
    }
    return true;
}

void OrderRefresher::refresh()
{
    if (!m_state.database || (m_task && !m_task->waitFor(0)))
        return;
    if (m_runner.isBusy()) { // the window's command comes first
        m_pause->start();
        return;
    }
    const QString path = m_state.database->path();
    QStringList queries;
    for (const QString& signature : signatures()) {
        QStringList terms;
        for (const QString& term : signature.split(u'|'))
            terms << term;
        queries << m_state.database->translate(SearchQuery::Base + QStringLiteral("order by ") + terms.join(u','));
    }
    m_task = tasks::BackgroundTask::start([path, queries](tasks::TaskControl& control) {
        for (const QString& sql : queries)
            catalog::BackgroundQuery::keys(path, sql, control); // what it finds goes to the cache
    });
}

void OrderRefresher::stop()
{
    m_pause->stop();
    if (m_task)
        m_task->cancel(); // its query lets go of the file at once; a sort under way ends on its own
    m_task.reset();
}

bool OrderRefresher::waitFor(int ms)
{
    if (m_pause->isActive()) {
        m_pause->stop();
        refresh();
    }
    return !m_task || m_task->waitFor(ms);
}

} // namespace quelto::search
