#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QTemporaryFile;

namespace quelto::tasks {
class TaskControl;
}

namespace quelto::exchange {

// Lines that come in any order, each with its place (0 to count - 1), handed
// out again in the order of their places, with bounded memory: the places are
// cut into parts (of PartLines); each part gathers its lines in a buffer of its
// own, which goes into a temporary file whenever it is full. Handing out reads
// back one part at a time. A place given no line hands out nothing.
//
// An export of records in the window's order reads them in the file's order
// (one pass) and puts them in place here.
class OrderedLines
{
public:
    static constexpr qint64 PartLines = 32768;

    // spillFolder: where the temporary file goes (none: the system's
    // temporary folder); it is made only when there is more than one part.
    OrderedLines(qint64 count, const QString& spillFolder, qint64 partLines = PartLines);
    ~OrderedLines();
    OrderedLines(const OrderedLines&) = delete;
    OrderedLines& operator=(const OrderedLines&) = delete;

    // Throws catalog::EngineError when the temporary file cannot be written.
    void add(qint64 place, QByteArrayView line);

    // Hands out every line in order; progress counts them and is checked for
    // Cancel now and then. Returns the number of lines.
    qint64 handOut(const std::function<void(QByteArrayView)>& take, tasks::TaskControl* progress);

private:
    struct Chunk
    {
        qint64 offset;
        qint64 bytes;
    };
    struct Part
    {
        QByteArray buffer;         // lines not yet in the file: place in part, length, bytes
        std::vector<Chunk> chunks; // what went into the file
        qint64 bytes = 0;          // all of it
    };

    void spill(Part& part);
    QByteArray gather(Part& part);
    [[noreturn]] void fileFailed() const;

    qint64 m_count;
    qint64 m_partLines;
    QString m_spillFolder;
    qsizetype m_bufferBytes; // a part's buffer goes to the file when it holds this much
    std::vector<Part> m_parts;
    std::unique_ptr<QTemporaryFile> m_file;
    qint64 m_fileEnd = 0;
};

} // namespace quelto::exchange
