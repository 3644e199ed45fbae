#include "webcatalogue/WebCatalogueFolder.h"

#include "catalog/EngineError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace quelto::webcatalogue {
namespace {

using catalog::EngineError;

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The path with its links resolved as far as it exists.
QString resolved(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

bool isWithin(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

} // namespace

WebCatalogueFolder::State WebCatalogueFolder::inspect(const QString& folder)
{
    const QFileInfo info(folder);
    if (!info.exists() && !info.isSymLink())
        return State::Missing;
    if (!info.isDir())
        return State::NotAFolder;
    const QDir dir(folder);
    if (QFileInfo(dir.filePath(MarkerName)).isFile())
        return State::OwnExport;
    if (dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return State::Empty;
    return State::Foreign;
}

QString WebCatalogueFolder::refusal(const QString& folder, const QString& cataloguePath)
{
    const QString target = resolved(folder);
    if (QFileInfo(target).isRoot() || isWithin(resolved(QDir::homePath()), target))
        return QStringLiteral("\"%1\" cannot hold a web catalogue; choose a folder of its own.").arg(shown(folder));
    if (!cataloguePath.isEmpty() && isWithin(resolved(cataloguePath), target))
        return QStringLiteral("\"%1\" holds the catalogue itself; choose another folder.").arg(shown(folder));
    return {};
}

WebCatalogueFolder::WebCatalogueFolder(const QString& folder) : m_target(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()))
{
    const QFileInfo info(m_target);
    if (!QDir().mkpath(info.absolutePath()))
        throw EngineError(QStringLiteral("The folder \"%1\" cannot be made.").arg(shown(info.absolutePath())));
    m_temporary = std::make_unique<QTemporaryDir>(
        QDir(info.absolutePath()).filePath(QLatin1Char('.') + info.fileName() + QStringLiteral(".partial-XXXXXX")));
    if (!m_temporary->isValid())
        throw EngineError(QStringLiteral("No folder can be written beside \"%1\": %2")
                              .arg(shown(m_target), m_temporary->errorString()));
    // A temporary folder is the owner's alone; the catalogue is for sharing and for web hosts.
    QFile::setPermissions(m_temporary->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                   QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                                   QFile::ExeOther);
}

WebCatalogueFolder::~WebCatalogueFolder() = default;

QString WebCatalogueFolder::path() const
{
    return m_temporary->path();
}

QString WebCatalogueFolder::filePath(const QString& name) const
{
    return m_temporary->filePath(name);
}

void WebCatalogueFolder::commit()
{
    QFile marker(filePath(MarkerName));
    if (!marker.open(QIODevice::WriteOnly) ||
        marker.write("A web catalogue written by Quelto; a new export replaces this folder.\n") < 0 ||
        !marker.flush())
        throw EngineError(QStringLiteral("\"%1\" cannot be written: %2").arg(shown(marker.fileName()), marker.errorString()));
    marker.close();

    QDir parent = QFileInfo(m_target).absoluteDir();
    QString old;
    if (QFileInfo(m_target).exists() || QFileInfo(m_target).isSymLink()) {
        // The earlier folder steps aside under a name of its own until the new one is in place.
        QTemporaryDir aside(parent.filePath(QLatin1Char('.') + QFileInfo(m_target).fileName() + QStringLiteral(".old-XXXXXX")));
        if (!aside.isValid())
            throw EngineError(QStringLiteral("\"%1\" cannot be replaced: %2").arg(shown(m_target), aside.errorString()));
        aside.setAutoRemove(false);
        old = aside.path();
        QDir().rmdir(old);
        if (!parent.rename(m_target, old))
            throw EngineError(QStringLiteral("\"%1\" cannot be replaced.").arg(shown(m_target)));
    }
    if (!parent.rename(m_temporary->path(), m_target)) {
        if (!old.isEmpty())
            parent.rename(old, m_target);
        throw EngineError(QStringLiteral("\"%1\" cannot be written.").arg(shown(m_target)));
    }
    m_temporary->setAutoRemove(false);
    if (!old.isEmpty()) {
        const QFileInfo oldInfo(old);
        if (oldInfo.isSymLink())
            QFile::remove(old);
        else
            QDir(old).removeRecursively();
    }
}

} // namespace quelto::webcatalogue
