#include "catalog/CatalogLock.h"

#include <QLockFile>

namespace quelto::catalog {

CatalogLock::CatalogLock(const QString& catalogue) : m_lock(std::make_unique<QLockFile>(lockPath(catalogue)))
{
    // Only a holder that has ended makes a lock stale, never its age: a
    // catalogue may stay open for days.
    m_lock->setStaleLockTime(0);
    m_held = m_lock->tryLock(0);
    if (m_held || m_lock->error() != QLockFile::LockFailedError)
        return;
    qint64 pid = 0;
    QString host;
    QString application;
    if (m_lock->getLockInfo(&pid, &host, &application))
        m_other = QStringLiteral("%1, process %2 on %3").arg(application.isEmpty() ? QStringLiteral("Quelto") : application).arg(pid).arg(host);
    else
        m_other = QStringLiteral("another Quelto");
}

CatalogLock::~CatalogLock()
{
    if (m_held)
        m_lock->unlock();
}

} // namespace quelto::catalog
