#include "importing/PictureLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace quelto::importing {

PictureLocation::PictureLocation(const QString& folder) : m_folder(QFileInfo(folder).canonicalFilePath()) {}

QString PictureLocation::resolve(const QString& written, QString* problem) const
{
    QString name = written.trimmed();
    if (name.startsWith(QLatin1String("file://"), Qt::CaseInsensitive))
        name = QUrl(name).toLocalFile();
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const auto refuse = [&](const QString& why) {
        if (problem)
            *problem = QStringLiteral("cover \"%1\": %2").arg(written, why);
        return QString();
    };
    if (name.isEmpty())
        return refuse(QStringLiteral("no file named"));
    if (name.contains(QLatin1String("://")))
        return refuse(QStringLiteral("a web address; covers are read only from files beside the import"));
    if (QDir::isAbsolutePath(name) || name.startsWith(QLatin1Char('~')) || (name.size() > 1 && name.at(1) == QLatin1Char(':')))
        return refuse(QStringLiteral("an absolute path; covers are read only from the import's own folder"));
    if (name.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return refuse(QStringLiteral("the name leads out of the import's folder"));
    if (m_folder.isEmpty())
        return refuse(QStringLiteral("the import's folder cannot be read"));
    const QString canonical = QFileInfo(m_folder + QLatin1Char('/') + name).canonicalFilePath();
    if (canonical.isEmpty())
        return refuse(QStringLiteral("there is no such file beside the import"));
    if (!canonical.startsWith(m_folder + QLatin1Char('/')))
        return refuse(QStringLiteral("a link that leads out of the import's folder"));
    if (!QFileInfo(canonical).isFile())
        return refuse(QStringLiteral("not a file"));
    return canonical;
}

} // namespace quelto::importing
