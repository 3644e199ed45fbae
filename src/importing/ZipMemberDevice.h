#pragma once

#include <QIODevice>

typedef struct zip_file zip_file_t;

namespace quelto::importing {

// One member of a zip file unpacked as it is read, a buffer at a time, so a
// large member is never held whole. Reading fails once more than the member's
// declared size has come out. size() is that declared size and pos() how much
// has been unpacked, for progress.
class ZipMemberDevice : public QIODevice
{
public:
    // Takes over file (opened with zip_fopen); declaredSize as zip_stat gave it.
    ZipMemberDevice(zip_file_t* file, qint64 declaredSize, QString name);
    ~ZipMemberDevice() override;

    bool isSequential() const override { return true; }
    qint64 size() const override { return m_declared; }
    qint64 pos() const override { return m_unpacked; }
    bool atEnd() const override { return !m_file || m_unpacked >= m_declared; }
    void close() override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    zip_file_t* m_file;
    qint64 m_declared;
    qint64 m_unpacked = 0;
    QString m_name;
};

} // namespace quelto::importing
