#include "exchange/ConversionLeftovers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUuid>

namespace quelto::exchange {
namespace {

QString& chosenLocation()
{
    static QString folder;
    return folder;
}

const QString NoteSuffix = QStringLiteral(".note");
const QString LockSuffix = QStringLiteral(".lock");

const char* const SqliteCompanions[] = {"-journal", "-wal", "-shm"};

// What a scratch file may hold: nothing yet, or an SQLite database.
bool looksLikeScratch(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(16);
    return head.isEmpty() || head == QByteArray("SQLite format 3\0", 16);
}

} // namespace

QString ConversionLeftovers::location()
{
    if (!chosenLocation().isEmpty())
        return chosenLocation();
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("quelto/conversions"));
}

void ConversionLeftovers::setLocation(const QString& folder) { chosenLocation() = folder; }

bool ConversionLeftovers::isScratchName(const QString& path)
{
    static const QRegularExpression pattern(QStringLiteral("\\.converting[0-9]*$"));
    return pattern.match(path).hasMatch();
}

QString ConversionLeftovers::scratchNameFor(const QString& target)
{
    for (int i = 0;; ++i) {
        const QString name = target + (i == 0 ? QStringLiteral(".converting") : QStringLiteral(".converting%1").arg(i));
        if (!QFileInfo::exists(name) && !QFileInfo::exists(name + QStringLiteral("-journal")))
            return name;
    }
}

void ConversionLeftovers::removeScratch(const QString& scratchPath)
{
    QFile::remove(scratchPath);
    for (const char* companion : SqliteCompanions)
        QFile::remove(scratchPath + QLatin1String(companion));
}

ConversionLeftovers::ConversionLeftovers(const QString& scratchPath)
{
    const QDir folder(location());
    if (!folder.mkpath(QStringLiteral(".")))
        return; // no note: a leftover then stays, as without this
    const QString base = folder.filePath(QUuid::createUuid().toString(QUuid::Id128));
    m_lock = std::make_unique<QLockFile>(base + LockSuffix);
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return;
    }
    QFile note(base + NoteSuffix);
    if (!note.open(QIODevice::WriteOnly) || note.write(QFileInfo(scratchPath).absoluteFilePath().toUtf8()) < 0) {
        note.remove();
        return;
    }
    m_note = note.fileName();
}

ConversionLeftovers::~ConversionLeftovers()
{
    if (!m_note.isEmpty())
        QFile::remove(m_note);
    if (m_lock)
        m_lock->unlock();
}

QStringList ConversionLeftovers::removeStale()
{
    QStringList removed;
    const QDir folder(location());
    for (const QString& name : folder.entryList({QStringLiteral("*") + NoteSuffix}, QDir::Files)) {
        const QString base = folder.filePath(name.chopped(NoteSuffix.size()));
        QLockFile lock(base + LockSuffix);
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            continue; // that conversion is still running in another Quelto
        QFile note(base + NoteSuffix);
        QString scratch;
        if (note.open(QIODevice::ReadOnly))
            scratch = QString::fromUtf8(note.readAll());
        note.close();
        if (!scratch.isEmpty() && isScratchName(scratch) && looksLikeScratch(scratch)) {
            for (const QString& file : {scratch, scratch + QStringLiteral("-journal"), scratch + QStringLiteral("-wal"),
                                        scratch + QStringLiteral("-shm")}) {
                if (QFile::exists(file) && QFile::remove(file))
                    removed << file;
            }
        }
        note.remove();
        lock.unlock();
        QFile::remove(base + LockSuffix);
    }
    return removed;
}

} // namespace quelto::exchange
