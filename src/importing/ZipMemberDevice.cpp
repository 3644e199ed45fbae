#include "importing/ZipMemberDevice.h"

#include <zip.h>

namespace quelto::importing {

ZipMemberDevice::ZipMemberDevice(zip_file_t* file, qint64 declaredSize, QString name)
    : m_file(file), m_declared(declaredSize), m_name(std::move(name))
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

ZipMemberDevice::~ZipMemberDevice() { close(); }

void ZipMemberDevice::close()
{
    if (m_file) {
        zip_fclose(m_file);
        m_file = nullptr;
    }
    QIODevice::close();
}

qint64 ZipMemberDevice::readData(char* data, qint64 maxSize)
{
    if (!m_file)
        return -1;
    const zip_int64_t got = zip_fread(m_file, data, zip_uint64_t(maxSize));
    if (got < 0) {
        setErrorString(QStringLiteral("\"%1\" is damaged: %2").arg(m_name, QString::fromUtf8(zip_file_strerror(m_file))));
        return -1;
    }
    m_unpacked += got;
    if (m_unpacked > m_declared) {
        setErrorString(QStringLiteral("\"%1\" unpacks to more than it declares").arg(m_name));
        return -1;
    }
    return got;
}

} // namespace quelto::importing
