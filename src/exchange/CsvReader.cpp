#include "exchange/CsvReader.h"

#include "catalog/EngineError.h"

#include <QStringDecoder>

#include <csv.h>

namespace quelto::exchange {
namespace {

using catalog::EngineError;

struct ParseState
{
    std::vector<CsvRecord> records;
    CsvRecord current;
    int line = 1;        // line of the byte being read
    bool between = true; // no record started yet since the last one ended
    int badLine = 0;     // first line with text that is not UTF-8
};

void onField(void* data, size_t length, void* state)
{
    auto* s = static_cast<ParseState*>(state);
    if (!data) {
        s->current.fields.emplace_back(); // nothing between the delimiters
        return;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(static_cast<const char*>(data), qsizetype(length)));
    if (decoder.hasError() && s->badLine == 0)
        s->badLine = s->current.line;
    s->current.fields.emplace_back(std::move(text));
}

void onRecordEnd(int, void* state)
{
    auto* s = static_cast<ParseState*>(state);
    s->records.push_back(std::move(s->current));
    s->current = CsvRecord();
    s->between = true;
}

int noSpaces(unsigned char) { return 0; }

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

} // namespace

std::vector<CsvRecord> CsvReader::parse(const QByteArray& bytes)
{
    QByteArrayView text(bytes);
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);

    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_EMPTY_IS_NULL) != 0)
        throw EngineError(QStringLiteral("The CSV reader cannot start."));
    csv_set_space_func(&parser, noSpaces);
    ParseState state;
    // Fed a byte at a time, so that every record knows the line it starts on.
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = text.at(i);
        if (state.between && !isLineEnd(c)) {
            state.between = false;
            state.current.line = state.line;
        }
        if (csv_parse(&parser, text.data() + i, 1, onField, onRecordEnd, &state) != 1) {
            const QString reason = QString::fromLatin1(csv_strerror(csv_error(&parser)));
            csv_free(&parser);
            throw EngineError(QStringLiteral("Line %1 of the CSV file cannot be read: %2 (a quote out of place?).")
                                  .arg(state.line)
                                  .arg(reason));
        }
        if (c == '\n' || (c == '\r' && (i + 1 == size || text.at(i + 1) != '\n')))
            ++state.line;
    }
    const int finished = csv_fini(&parser, onField, onRecordEnd, &state);
    csv_free(&parser);
    if (finished != 0)
        throw EngineError(QStringLiteral("The CSV file ends inside a quoted field that starts on line %1.")
                              .arg(state.current.line));
    if (state.badLine != 0)
        throw EngineError(QStringLiteral("Line %1 of the CSV file is not UTF-8 text; save the file as UTF-8 and "
                                         "import it again.")
                              .arg(state.badLine));
    return std::move(state.records);
}

} // namespace quelto::exchange
