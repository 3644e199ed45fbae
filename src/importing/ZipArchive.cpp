#include "importing/ZipArchive.h"

#include "catalog/EngineError.h"
#include "importing/ImportLimits.h"
#include "importing/ZipMemberDevice.h"

#include <QDir>
#include <QFile>
#include <zip.h>

namespace quelto::importing {

using catalog::EngineError;

namespace {

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

} // namespace

ZipArchive::ZipArchive(QString path, zip* archive) : m_path(std::move(path)), m_zip(archive) {}

ZipArchive::~ZipArchive() { zip_discard(m_zip); }

std::unique_ptr<ZipArchive> ZipArchive::open(const QString& path)
{
    int error = 0;
    zip* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive) {
        zip_error_t reason;
        zip_error_init_with_code(&reason, error);
        const QString text = QString::fromUtf8(zip_error_strerror(&reason));
        zip_error_fini(&reason);
        throw EngineError(QStringLiteral("The zip file \"%1\" cannot be read: %2.").arg(shown(path), text));
    }
    std::unique_ptr<ZipArchive> result(new ZipArchive(path, archive));
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count < 0 || count > ImportLimits::MaxZipMembers)
        throw EngineError(QStringLiteral("The zip file \"%1\" holds %2 files, more than an import reads (%3).")
                              .arg(shown(path))
                              .arg(count)
                              .arg(ImportLimits::MaxZipMembers));
    quint64 declared = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME))
            throw EngineError(QStringLiteral("The zip file \"%1\" is damaged.").arg(shown(path)));
        const QString name = QString::fromUtf8(stat.name);
        if (name.endsWith(QLatin1Char('/')))
            continue;
        if (stat.valid & ZIP_STAT_SIZE)
            declared += stat.size;
        if (declared > quint64(ImportLimits::MaxUnpackedBytes))
            throw EngineError(QStringLiteral("The zip file \"%1\" would unpack to more than %2 GB; it is not read.")
                                  .arg(shown(path))
                                  .arg(ImportLimits::MaxUnpackedBytes >> 30));
        result->m_names << name;
    }
    return result;
}

std::unique_ptr<QIODevice> ZipArchive::stream(const QString& name, qint64 maxBytes) const
{
    const QByteArray encoded = name.toUtf8();
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(m_zip, encoded.constData(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        throw EngineError(QStringLiteral("\"%1\" is missing from the zip file \"%2\".").arg(name, shown(m_path)));
    if (stat.size > quint64(maxBytes))
        throw EngineError(QStringLiteral("\"%1\" in the zip file \"%2\" unpacks to more than %3 MB; it is not read.")
                              .arg(name, shown(m_path))
                              .arg(maxBytes >> 20));
    zip_file_t* file = zip_fopen(m_zip, encoded.constData(), 0);
    if (!file)
        throw EngineError(QStringLiteral("\"%1\" in the zip file \"%2\" cannot be unpacked: %3.")
                              .arg(name, shown(m_path), QString::fromUtf8(zip_strerror(m_zip))));
    return std::make_unique<ZipMemberDevice>(file, qint64(stat.size), name);
}

QByteArray ZipArchive::read(const QString& name, qint64 maxBytes) const
{
    const QByteArray encoded = name.toUtf8();
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(m_zip, encoded.constData(), 0, &stat) != 0)
        throw EngineError(QStringLiteral("\"%1\" is missing from the zip file \"%2\".").arg(name, shown(m_path)));
    const auto tooLarge = [&] {
        return EngineError(QStringLiteral("\"%1\" in the zip file \"%2\" unpacks to more than %3 MB; it is not read.")
                               .arg(name, shown(m_path))
                               .arg(maxBytes >> 20));
    };
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > quint64(maxBytes))
        throw tooLarge();
    zip_file_t* file = zip_fopen(m_zip, encoded.constData(), 0);
    if (!file)
        throw EngineError(QStringLiteral("\"%1\" in the zip file \"%2\" cannot be unpacked: %3.")
                              .arg(name, shown(m_path), QString::fromUtf8(zip_strerror(m_zip))));
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
        if (got < 0) {
            const QString reason = QString::fromUtf8(zip_file_strerror(file));
            zip_fclose(file);
            throw EngineError(QStringLiteral("\"%1\" in the zip file \"%2\" is damaged: %3.").arg(name, shown(m_path), reason));
        }
        if (got == 0)
            break;
        if (bytes.size() + got > maxBytes) {
            zip_fclose(file);
            throw tooLarge();
        }
        bytes.append(buffer, qsizetype(got));
    }
    zip_fclose(file);
    return bytes;
}

} // namespace quelto::importing
