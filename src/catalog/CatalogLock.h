#pragma once

#include <QString>
#include <memory>

class QLockFile;

namespace quelto::catalog {

// An advisory lock beside a catalogue ("quelto.mdb.lock") that tells a second
// Quelto on the same file that one is open already. The lock goes with the
// process: a lock left by a program that has ended is taken over.
class CatalogLock
{
public:
    explicit CatalogLock(const QString& catalogue);
    ~CatalogLock();
    CatalogLock(const CatalogLock&) = delete;
    CatalogLock& operator=(const CatalogLock&) = delete;

    static QString lockPath(const QString& catalogue) { return catalogue + QStringLiteral(".lock"); }

    bool held() const { return m_held; }
    // Who holds the lock when another program does ("process 1234 on host"),
    // empty otherwise (also when no lock file can be made, as in a read-only folder).
    const QString& otherHolder() const { return m_other; }

private:
    std::unique_ptr<QLockFile> m_lock;
    bool m_held = false;
    QString m_other;
};

} // namespace quelto::catalog
