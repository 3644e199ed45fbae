#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

struct zip;
class QIODevice;

namespace quelto::importing {

// A zip file read through libzip. Every member's declared size is checked
// before it is unpacked, and reads stop at the caller's bound whatever the
// member claims, so that a small file that unpacks to gigabytes is refused.
// Failures are thrown as catalog::EngineError with a message for the user.
class ZipArchive
{
public:
    static bool looksLikeZip(const QByteArray& head) { return head.startsWith("PK\x03\x04"); }
    // Opens the zip; refuses a damaged one, one with too many members or
    // members declaring more than ImportLimits::MaxUnpackedBytes together.
    static std::unique_ptr<ZipArchive> open(const QString& path);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    const QString& path() const { return m_path; }
    // Member names, folders left out.
    const QStringList& names() const { return m_names; }
    bool contains(const QString& name) const { return m_names.contains(name); }
    // The member unpacked; refused when it declares or yields more than maxBytes.
    QByteArray read(const QString& name, qint64 maxBytes) const;
    // The member to read as a stream, unpacked as it is read; refused when it
    // declares more than maxBytes. The archive must outlive the device.
    std::unique_ptr<QIODevice> stream(const QString& name, qint64 maxBytes) const;

private:
    ZipArchive(QString path, zip* archive);

    QString m_path;
    zip* m_zip;
    QStringList m_names;
};

} // namespace quelto::importing
