#include "exchange/CsvReader.h"

#include "catalog/EngineError.h"

#include <QBuffer>
#include <QStringDecoder>
#include <deque>

#include <csv.h>

namespace quelto::exchange {
namespace {

using catalog::EngineError;

constexpr qint64 ChunkBytes = 64 * 1024;

struct ReadyRecord
{
    CsvRecord record;
    bool notUtf8 = false;
};

struct ParseState
{
    std::deque<ReadyRecord> ready;
    ReadyRecord current;
    int line = 1;        // line of the bytes being fed
    bool between = true; // no record started yet since the last one ended
};

void onField(void* data, size_t length, void* state)
{
    auto* s = static_cast<ParseState*>(state);
    if (!data) {
        s->current.record.fields.emplace_back(); // nothing between the delimiters
        return;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(static_cast<const char*>(data), qsizetype(length)));
    if (decoder.hasError())
        s->current.notUtf8 = true;
    s->current.record.fields.emplace_back(std::move(text));
}

void onRecordEnd(int, void* state)
{
    auto* s = static_cast<ParseState*>(state);
    s->ready.push_back(std::move(s->current));
    s->current = ReadyRecord();
    s->between = true;
}

int noSpaces(unsigned char) { return 0; }

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

} // namespace

struct CsvReader::State
{
    csv_parser parser{};
    bool parserReady = false;
    ParseState parse;
    QByteArray buffer;
    qsizetype position = 0; // in buffer
    qint64 consumed = 0;    // bytes fed so far
    bool started = false;
    bool finished = false;

    ~State()
    {
        if (parserReady)
            csv_free(&parser);
    }
};

CsvReader::CsvReader(QIODevice& in) : m_in(in), m_state(std::make_unique<State>()) {}

CsvReader::~CsvReader() = default;

qint64 CsvReader::bytesRead() const { return m_state->consumed; }

void CsvReader::start()
{
    State& s = *m_state;
    s.started = true;
    if (csv_init(&s.parser, CSV_STRICT | CSV_STRICT_FINI | CSV_EMPTY_IS_NULL) != 0)
        throw EngineError(QStringLiteral("The CSV reader cannot start."));
    s.parserReady = true;
    csv_set_space_func(&s.parser, noSpaces);
    s.buffer = m_in.read(ChunkBytes);
    if (s.buffer.startsWith("\xFF\xFE") || s.buffer.startsWith("\xFE\xFF"))
        throw EngineError(QStringLiteral("The CSV file is UTF-16 text; save it as UTF-8 and import it again."));
    if (s.buffer.startsWith("\xEF\xBB\xBF")) {
        s.position = 3;
        s.consumed = 3;
    }
}

// Feeds the parser up to and including the next line end (or what the buffer
// holds of a longer line); false at the end of the file.
bool CsvReader::feedLine()
{
    State& s = *m_state;
    if (s.position >= s.buffer.size()) {
        s.buffer = m_in.read(ChunkBytes);
        s.position = 0;
        if (s.buffer.isEmpty())
            return false;
    }
    qsizetype end = s.position;
    const qsizetype size = s.buffer.size();
    while (end < size && !isLineEnd(s.buffer.at(end)))
        ++end;
    bool lineEnded = false;
    if (end < size) {
        if (s.buffer.at(end) == '\r' && end + 1 == size) {
            // CR at the buffer's end: a CR LF pair may go on in the next chunk.
            const QByteArray more = m_in.read(ChunkBytes);
            if (!more.isEmpty()) {
                s.buffer = s.buffer.mid(s.position) + more;
                s.position = 0;
                return feedLine();
            }
        }
        end += (s.buffer.at(end) == '\r' && end + 1 < size && s.buffer.at(end + 1) == '\n') ? 2 : 1;
        lineEnded = true;
    }
    const char* piece = s.buffer.constData() + s.position;
    const qsizetype length = end - s.position;
    if (s.parse.between && length > 0 && !isLineEnd(piece[0])) {
        s.parse.between = false;
        s.parse.current.record.line = s.parse.line;
    }
    if (csv_parse(&s.parser, piece, size_t(length), onField, onRecordEnd, &s.parse) != size_t(length)) {
        const QString reason = QString::fromLatin1(csv_strerror(csv_error(&s.parser)));
        throw EngineError(QStringLiteral("Line %1 of the CSV file cannot be read: %2 (a quote out of place?).")
                              .arg(s.parse.line)
                              .arg(reason));
    }
    if (qsizetype(s.parser.entry_pos) > MaxFieldBytes)
        throw EngineError(QStringLiteral("A field that starts on line %1 of the CSV file is longer than %2 MB; is a "
                                         "closing quote missing?")
                              .arg(s.parse.current.record.line)
                              .arg(MaxFieldBytes >> 20));
    s.position = end;
    s.consumed += length;
    if (lineEnded)
        ++s.parse.line;
    return true;
}

bool CsvReader::next(CsvRecord& record)
{
    State& s = *m_state;
    if (!s.started)
        start();
    while (s.parse.ready.empty() && !s.finished) {
        if (!feedLine()) {
            s.finished = true;
            if (csv_fini(&s.parser, onField, onRecordEnd, &s.parse) != 0)
                throw EngineError(QStringLiteral("The CSV file ends inside a quoted field that starts on line %1.")
                                      .arg(s.parse.current.record.line));
        }
    }
    if (s.parse.ready.empty())
        return false;
    ReadyRecord& front = s.parse.ready.front();
    if (front.notUtf8)
        throw EngineError(QStringLiteral("Line %1 of the CSV file is not UTF-8 text; save the file as UTF-8 and "
                                         "import it again.")
                              .arg(front.record.line));
    record = std::move(front.record);
    s.parse.ready.pop_front();
    return true;
}

std::vector<CsvRecord> CsvReader::parse(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    CsvReader reader(buffer);
    std::vector<CsvRecord> records;
    CsvRecord record;
    while (reader.next(record))
        records.push_back(std::move(record));
    return records;
}

} // namespace quelto::exchange
