#include "collection/CoverCheck.h"

#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "collection/CollectorSchema.h"

#include <QStringList>

namespace quelto::collection {

CoverCheck::CoverCheck(QString path, QObject* parent) : QObject(parent), m_path(std::move(path))
{
    try {
        m_connection = catalog::SqliteConnection::open(m_path, catalog::SqliteConnection::Mode::OpenReadOnly);
    } catch (const catalog::EngineError&) {
        // Reported by opening and saving; nothing to check here.
    }
    m_thread = std::thread([this] {
        QStringList problems;
        try {
            const std::shared_ptr<catalog::SqliteConnection> connection = m_connection;
            if (connection && CollectorSchema::hasTable(*connection, CollectorSchema::CoversTable)) {
                auto check = connection->prepare(QStringLiteral("pragma quick_check(quelto_covers)"));
                while (check->step() && problems.size() < 5) {
                    const QString line = check->value(0).toString();
                    if (line != QLatin1String("ok"))
                        problems << line;
                }
            }
        } catch (const catalog::EngineError& error) {
            if (error.kind() == catalog::EngineError::Kind::Damaged && !m_stopping)
                problems << error.message();
            // Otherwise the file is busy or gone: opening and saving say so.
        }
        const QString report = problems.join(QLatin1Char('\n'));
        QMetaObject::invokeMethod(
            this,
            [this, report] {
                m_running = false;
                emit finished(report);
            },
            Qt::QueuedConnection);
    });
}

CoverCheck::~CoverCheck()
{
    m_stopping = true;
    if (m_connection)
        m_connection->interrupt(); // a check still reading stops at once
    m_thread.join();
}

} // namespace quelto::collection
