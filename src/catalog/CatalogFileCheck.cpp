#include "catalog/CatalogFileCheck.h"

#include "catalog/EngineError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quelto::catalog {
namespace {

quint32 bigEndian(const QByteArray& b, int offset, int bytes)
{
    quint32 v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | quint8(b.at(offset + i));
    return v;
}

} // namespace

CatalogFileCheck::Kind CatalogFileCheck::inspect(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Kind::Missing;
    if (!info.isFile())
        return Kind::NotAFile;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Kind::Unreadable;
    const qint64 size = file.size();
    if (size == 0)
        return Kind::Empty;
    const QByteArray header = file.read(100);
    if (header.size() >= 19 &&
        (header.mid(4, 15) == "Standard Jet DB" || header.mid(4, 15) == "Standard ACE DB"))
        return Kind::AccessDatabase;
    if (!header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return Kind::NotADatabase;
    if (header.size() < 100)
        return Kind::Truncated;
    // A page count in the header beyond the file's end, or a partial last page,
    // is left to the engine: a hot journal may still mend it, and the engine
    // reports what it cannot read.
    quint32 pageSize = bigEndian(header, 16, 2);
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        return Kind::Truncated;
    return Kind::SqliteDatabase;
}

QString CatalogFileCheck::describe(Kind kind)
{
    switch (kind) {
    case Kind::Missing:
        return QStringLiteral("does not exist");
    case Kind::Unreadable:
        return QStringLiteral("cannot be read");
    case Kind::NotAFile:
        return QStringLiteral("is no regular file (a folder, a pipe or a device), not a Quelto catalogue");
    case Kind::Empty:
        return QStringLiteral("is an empty file, not a Quelto catalogue");
    case Kind::AccessDatabase:
        return QStringLiteral("is a Microsoft Access database; Quelto catalogues are SQLite database files");
    case Kind::NotADatabase:
        return QStringLiteral("is not a database file");
    case Kind::Truncated:
        return QStringLiteral("is a damaged or truncated database file");
    case Kind::SqliteDatabase:
        return QStringLiteral("is a database file");
    }
    return {};
}

void CatalogFileCheck::requireDatabase(const QString& path)
{
    const Kind kind = inspect(path);
    if (kind != Kind::SqliteDatabase)
        throw EngineError(QStringLiteral("The file \"%1\" %2.").arg(QDir::toNativeSeparators(path), describe(kind)));
}

} // namespace quelto::catalog
