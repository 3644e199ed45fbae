#include "exchange/CsvCoverFolder.h"

#include "catalog/EngineError.h"
#include "collection/CoverPicture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quelto::exchange {
namespace {

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

} // namespace

CsvCoverFolder::CsvCoverFolder(const QString& csvPath)
    : m_final(besideExport(csvPath)), m_partial(m_final + QStringLiteral(".partial")),
      m_name(QFileInfo(m_final).fileName())
{
}

CsvCoverFolder::~CsvCoverFolder()
{
    if (m_prepared && !m_committed)
        QDir(m_partial).removeRecursively();
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
    if (!QDir().mkpath(m_partial))
        throw catalog::EngineError(QStringLiteral("The folder \"%1\" cannot be made.").arg(shown(m_partial)));
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
}

} // namespace quelto::exchange
