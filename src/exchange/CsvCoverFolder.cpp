#include "exchange/CsvCoverFolder.h"

#include "catalog/EngineError.h"
#include "collection/CoverPicture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace quelto::exchange {
namespace {

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

const QString UnfinishedKey = QStringLiteral("Exchange/UnfinishedCoverFolders");

// "pid<TAB>folder" of each export under way.
QString entry(qint64 pid, const QString& folder) { return QString::number(pid) + QLatin1Char('\t') + folder; }

bool isRunning(qint64 pid) { return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM); }

} // namespace

CsvCoverFolder::CsvCoverFolder(const QString& csvPath)
    : m_final(besideExport(csvPath)), m_partial(m_final + QStringLiteral(".partial")),
      m_name(QFileInfo(m_final).fileName())
{
}

CsvCoverFolder::~CsvCoverFolder()
{
    if (m_prepared && !m_committed) {
        QDir(m_partial).removeRecursively();
        noteUnfinished(false);
    }
}

void CsvCoverFolder::noteUnfinished(bool unfinished)
{
    QSettings settings;
    QStringList entries = settings.value(UnfinishedKey).toStringList();
    const QString mine = entry(::getpid(), m_final);
    entries.removeAll(mine);
    if (unfinished)
        entries << mine;
    if (entries.isEmpty())
        settings.remove(UnfinishedKey);
    else
        settings.setValue(UnfinishedKey, entries);
    settings.sync(); // on disk before the first picture, so that a kill leaves the note
}

int CsvCoverFolder::removeLeftovers()
{
    QSettings settings;
    const QStringList entries = settings.value(UnfinishedKey).toStringList();
    QStringList running;
    int removed = 0;
    for (const QString& line : entries) {
        const qint64 pid = line.section(QLatin1Char('\t'), 0, 0).toLongLong();
        const QString folder = line.section(QLatin1Char('\t'), 1);
        if (folder.isEmpty())
            continue;
        if (isRunning(pid)) { // this process's own exports too
            running << line;
            continue;
        }
        // Killed between the two renames of commit(): the older folder goes back.
        const QString old = folder + QStringLiteral(".old");
        if (!QFileInfo::exists(folder) && QFileInfo(old).isDir())
            QDir().rename(old, folder);
        for (const QString& leftover : {folder + QStringLiteral(".partial"), old}) {
            if (QFileInfo(leftover).isDir() && QDir(leftover).removeRecursively())
                ++removed;
        }
    }
    if (running.isEmpty())
        settings.remove(UnfinishedKey);
    else
        settings.setValue(UnfinishedKey, running);
    return removed;
}

QString CsvCoverFolder::besideExport(const QString& csvPath)
{
    const QFileInfo csv(csvPath);
    return csv.absoluteDir().filePath(csv.completeBaseName() + QStringLiteral("-covers"));
}

void CsvCoverFolder::prepare()
{
    // Leftovers of an export that was killed are pictures of no use.
    QDir(m_partial).removeRecursively();
    noteUnfinished(true);
    if (!QDir().mkpath(m_partial)) {
        noteUnfinished(false);
        throw catalog::EngineError(QStringLiteral("The folder \"%1\" cannot be made.").arg(shown(m_partial)));
    }
    m_prepared = true;
}

QString CsvCoverFolder::write(qint64 recordId, const collection::CoverPicture& picture)
{
    if (!m_prepared)
        prepare();
    const QString file = QStringLiteral("%1.%2").arg(recordId).arg(picture.fileSuffix());
    QFile out(QDir(m_partial).filePath(file));
    if (!out.open(QIODevice::WriteOnly) || out.write(picture.bytes()) != picture.bytes().size() || !out.flush())
        throw catalog::EngineError(
            QStringLiteral("The cover \"%1\" cannot be written: %2").arg(shown(out.fileName()), out.errorString()));
    ++m_written;
    return m_name + QLatin1Char('/') + file;
}

void CsvCoverFolder::commit()
{
    if (!m_prepared)
        return; // no record had a cover: an older folder stays
    const QString old = m_final + QStringLiteral(".old");
    QDir(old).removeRecursively();
    const bool hadFolder = QFileInfo(m_final).exists();
    if (hadFolder && !QDir().rename(m_final, old))
        throw catalog::EngineError(QStringLiteral("The folder \"%1\" cannot be replaced.").arg(shown(m_final)));
    if (!QDir().rename(m_partial, m_final)) {
        if (hadFolder)
            QDir().rename(old, m_final);
        throw catalog::EngineError(QStringLiteral("The folder \"%1\" cannot be written.").arg(shown(m_final)));
    }
    m_committed = true;
    if (hadFolder)
        QDir(old).removeRecursively();
    noteUnfinished(false);
}

} // namespace quelto::exchange
