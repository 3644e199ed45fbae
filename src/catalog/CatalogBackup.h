#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace quelto::catalog {

// Copies of a catalogue beside it, made with the engine's backup interface
// before the first change of a run: "quelto.mdb" gets
// "quelto.backup-2026-12-07-180102.mdb". The newest Kept copies stay.
class CatalogBackup
{
public:
    static constexpr int Kept = 3;

    static QString nameFor(const QString& catalogue, const QDateTime& when);
    // Copies what is committed in the catalogue (through a connection of its
    // own, so a transaction under way elsewhere is not copied) and deletes the
    // older copies. Returns the copy's path; throws EngineError, leaving no
    // partial copy.
    static QString make(const QString& catalogue, const QDateTime& when = QDateTime::currentDateTime());
    // The copies beside a catalogue, newest first.
    static QStringList existing(const QString& catalogue);
};

} // namespace quelto::catalog
