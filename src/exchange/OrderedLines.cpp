#include "exchange/OrderedLines.h"

#include "catalog/EngineError.h"
#include "tasks/TaskControl.h"

#include <QDir>
#include <QTemporaryFile>
#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace quelto::exchange {
namespace {

// What the buffers of all parts together may hold before they go to the file.
constexpr qsizetype BuffersBytes = 16 * 1024 * 1024;

struct LineHead
{
    quint32 slot;   // the place within its part
    quint32 length; // the bytes that follow
};

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

} // namespace

OrderedLines::OrderedLines(qint64 count, const QString& spillFolder, qint64 partLines)
    : m_count(std::max<qint64>(count, 0)), m_partLines(std::max<qint64>(partLines, 1)), m_spillFolder(spillFolder),
      m_parts(size_t((m_count + m_partLines - 1) / m_partLines))
{
    const qsizetype perPart = m_parts.empty() ? BuffersBytes : BuffersBytes / qsizetype(m_parts.size());
    m_bufferBytes = std::clamp<qsizetype>(perPart, 64 * 1024, 1024 * 1024);
}

OrderedLines::~OrderedLines() = default;

void OrderedLines::fileFailed() const
{
    const QString where = m_file ? m_file->fileName() : m_spillFolder;
    throw catalog::EngineError(QStringLiteral("The temporary file \"%1\" cannot be used: %2")
                                   .arg(shown(where), m_file ? m_file->errorString() : QString()));
}

void OrderedLines::add(qint64 place, QByteArrayView line)
{
    if (place < 0 || place >= m_count)
        return;
    if (quint64(line.size()) > std::numeric_limits<quint32>::max())
        throw catalog::EngineError(QStringLiteral("A record is too long to be written."));
    Part& part = m_parts[size_t(place / m_partLines)];
    const LineHead head{quint32(place % m_partLines), quint32(line.size())};
    part.buffer.append(reinterpret_cast<const char*>(&head), sizeof head);
    part.buffer.append(line);
    part.bytes += qint64(sizeof head) + line.size();
    if (m_parts.size() > 1 && part.buffer.size() >= m_bufferBytes)
        spill(part);
}

void OrderedLines::spill(Part& part)
{
    if (!m_file) {
        const QString folder = m_spillFolder.isEmpty() ? QDir::tempPath() : m_spillFolder;
        m_file = std::make_unique<QTemporaryFile>(QDir(folder).filePath(QStringLiteral("quelto-lines-XXXXXX.tmp")));
        if (!m_file->open())
            fileFailed();
    }
    if (m_file->write(part.buffer) != part.buffer.size())
        fileFailed();
    part.chunks.push_back({m_fileEnd, part.buffer.size()});
    m_fileEnd += part.buffer.size();
    part.buffer.resize(0);
}

QByteArray OrderedLines::gather(Part& part)
{
    if (part.chunks.empty())
        return std::exchange(part.buffer, {});
    QByteArray bytes(qsizetype(part.bytes), Qt::Uninitialized);
    char* to = bytes.data();
    for (const Chunk& chunk : part.chunks) {
        if (!m_file->seek(chunk.offset) || m_file->read(to, chunk.bytes) != chunk.bytes)
            fileFailed();
        to += chunk.bytes;
    }
    std::memcpy(to, part.buffer.constData(), size_t(part.buffer.size()));
    part.buffer = {};
    part.chunks = {};
    return bytes;
}

qint64 OrderedLines::handOut(const std::function<void(QByteArrayView)>& take, tasks::TaskControl* progress)
{
    if (m_file && !m_file->flush())
        fileFailed();
    qint64 handed = 0;
    std::vector<qsizetype> where(size_t(std::min(m_count, m_partLines)));
    for (Part& part : m_parts) {
        const QByteArray bytes = gather(part);
        std::fill(where.begin(), where.end(), -1);
        for (qsizetype at = 0; at < bytes.size();) {
            LineHead head;
            std::memcpy(&head, bytes.constData() + at, sizeof head);
            where[head.slot] = at;
            at += qsizetype(sizeof head) + qsizetype(head.length);
        }
        for (const qsizetype at : where) {
            if (at < 0)
                continue;
            LineHead head;
            std::memcpy(&head, bytes.constData() + at, sizeof head);
            take(QByteArrayView(bytes.constData() + at + qsizetype(sizeof head), qsizetype(head.length)));
            if (++handed % 1024 == 0 && progress) {
                progress->setDone(handed);
                progress->throwIfCancelled();
            }
        }
    }
    if (progress)
        progress->setDone(handed);
    m_file.reset();
    return handed;
}

} // namespace quelto::exchange
