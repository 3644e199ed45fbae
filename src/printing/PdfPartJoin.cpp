#include "printing/PdfPartJoin.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

namespace quelto::printing {
namespace {

bool isWhite(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }

bool isDelimiter(char c)
{
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' ||
           c == '/' || c == '%';
}

// A token of PDF syntax outside stream data.
struct Token
{
    enum Kind { End, Integer, Keyword, Name, String, DictOpen, DictClose, ArrayOpen, ArrayClose, Other, Bad };
    Kind kind = End;
    qint64 begin = 0;
    qint64 end = 0;
};

class Lexer
{
public:
    Lexer(const char* data, qint64 begin, qint64 end) : m_data(data), m_pos(begin), m_end(end) {}

    Token next()
    {
        skipSpace();
        Token token;
        token.begin = m_pos;
        token.kind = read();
        token.end = m_pos;
        return token;
    }

private:
    void skipSpace()
    {
        while (m_pos < m_end) {
            if (isWhite(m_data[m_pos])) {
                ++m_pos;
            } else if (m_data[m_pos] == '%') {
                while (m_pos < m_end && m_data[m_pos] != '\n' && m_data[m_pos] != '\r')
                    ++m_pos;
            } else {
                return;
            }
        }
    }

    Token::Kind read()
    {
        if (m_pos >= m_end)
            return Token::End;
        const char c = m_data[m_pos];
        const char after = m_pos + 1 < m_end ? m_data[m_pos + 1] : '\0';
        switch (c) {
        case '(':
            return literalString();
        case '<':
            if (after == '<') {
                m_pos += 2;
                return Token::DictOpen;
            }
            while (m_pos < m_end && m_data[m_pos] != '>')
                ++m_pos;
            if (m_pos >= m_end)
                return Token::Bad;
            ++m_pos;
            return Token::String;
        case '>':
            if (after != '>')
                return Token::Bad;
            m_pos += 2;
            return Token::DictClose;
        case '[':
            ++m_pos;
            return Token::ArrayOpen;
        case ']':
            ++m_pos;
            return Token::ArrayClose;
        case '/':
            ++m_pos;
            regular();
            return Token::Name;
        case ')':
        case '{':
        case '}':
            ++m_pos;
            return Token::Other;
        default: {
            const qint64 begin = m_pos;
            regular();
            bool digits = true;
            for (qint64 i = begin; i < m_pos; ++i)
                digits = digits && m_data[i] >= '0' && m_data[i] <= '9';
            return digits && m_pos - begin <= 12 ? Token::Integer : Token::Keyword;
        }
        }
    }

    void regular()
    {
        while (m_pos < m_end && !isWhite(m_data[m_pos]) && !isDelimiter(m_data[m_pos]))
            ++m_pos;
    }

    Token::Kind literalString()
    {
        int depth = 0;
        while (m_pos < m_end) {
            const char c = m_data[m_pos++];
            if (c == '\\')
                ++m_pos;
            else if (c == '(')
                ++depth;
            else if (c == ')' && --depth == 0)
                return m_pos <= m_end ? Token::String : Token::Bad;
        }
        return Token::Bad;
    }

    const char* m_data;
    qint64 m_pos;
    qint64 m_end;
};

struct PdfObject
{
    qint64 offset = 0;
    qint64 end = 0; // where the next object or the cross-reference table starts
    qint64 number = 0;
};

// A part's file and the structure the join needs of it.
struct Part
{
    QFile file;
    const char* data = nullptr;
    qint64 size = 0;
    std::vector<PdfObject> objects; // in the file's order
    qint64 xref = 0;
    qint64 count = 0; // the trailer's /Size
    qint64 root = -1;
    qint64 info = -1;
    qint64 pages = -1;
    std::vector<qint64> kids;
    size_t kidsTaken = 0;

    std::string_view text(const Token& token) const
    {
        return std::string_view(data + token.begin, size_t(token.end - token.begin));
    }
    qint64 value(const Token& token) const
    {
        qint64 n = 0;
        for (qint64 i = token.begin; i < token.end; ++i)
            n = n * 10 + (data[i] - '0');
        return n;
    }
    const PdfObject* object(qint64 number) const
    {
        for (const PdfObject& o : objects) {
            if (o.number == number)
                return &o;
        }
        return nullptr;
    }
};

// The number of the object that key refers to at the top level of the
// dictionary lexer stands in; -1 when there is none.
qint64 referenceAfter(const Part& part, Lexer lexer, std::string_view key)
{
    int depth = 0;
    for (Token t = lexer.next(); t.kind != Token::End && t.kind != Token::Bad; t = lexer.next()) {
        if (t.kind == Token::DictOpen || t.kind == Token::ArrayOpen) {
            ++depth;
        } else if (t.kind == Token::DictClose || t.kind == Token::ArrayClose) {
            if (--depth == 0)
                return -1;
        } else if (depth == 1 && t.kind == Token::Name && part.text(t) == key) {
            const Token number = lexer.next();
            const Token generation = lexer.next();
            const Token r = lexer.next();
            if (number.kind == Token::Integer && generation.kind == Token::Integer && part.text(r) == "R")
                return part.value(number);
            return -1;
        }
    }
    return -1;
}

// A lexer past an object's "N 0 obj", or nothing when it does not start so.
std::optional<Lexer> objectBody(const Part& part, const PdfObject& object)
{
    Lexer lexer(part.data, object.offset, object.end);
    const Token number = lexer.next();
    const Token generation = lexer.next();
    const Token obj = lexer.next();
    if (number.kind != Token::Integer || part.value(number) != object.number || generation.kind != Token::Integer ||
        part.value(generation) != 0 || part.text(obj) != "obj")
        return std::nullopt;
    return lexer;
}

QString readStructure(Part& part)
{
    const std::string_view all(part.data, size_t(part.size));
    const size_t tail = all.size() > 1024 ? all.size() - 1024 : 0;
    const size_t at = all.rfind("startxref");
    if (at == std::string_view::npos || at < tail)
        return QStringLiteral("no cross-reference table");
    Lexer end(part.data, qint64(at + 9), part.size);
    const Token offset = end.next();
    if (offset.kind != Token::Integer || part.value(offset) >= part.size)
        return QStringLiteral("no cross-reference table");
    part.xref = part.value(offset);

    Lexer lexer(part.data, part.xref, part.size);
    if (part.text(lexer.next()) != "xref")
        return QStringLiteral("no cross-reference table");
    Token t = lexer.next();
    while (t.kind == Token::Integer) {
        const qint64 first = part.value(t);
        const Token count = lexer.next();
        if (count.kind != Token::Integer)
            return QStringLiteral("a broken cross-reference table");
        for (qint64 i = 0; i < part.value(count); ++i) {
            const Token at = lexer.next();
            const Token generation = lexer.next();
            const Token use = lexer.next();
            if (at.kind != Token::Integer || generation.kind != Token::Integer)
                return QStringLiteral("a broken cross-reference table");
            if (part.text(use) == "n") {
                if (part.value(generation) != 0 || part.value(at) >= part.xref)
                    return QStringLiteral("a broken cross-reference table");
                part.objects.push_back({part.value(at), 0, first + i});
            } else if (part.text(use) != "f") {
                return QStringLiteral("a broken cross-reference table");
            }
        }
        t = lexer.next();
    }
    if (part.text(t) != "trailer")
        return QStringLiteral("no trailer");
    const qint64 trailer = t.end;
    Lexer sizeLexer(part.data, trailer, part.size);
    int depth = 0;
    for (Token k = sizeLexer.next(); k.kind != Token::End && k.kind != Token::Bad; k = sizeLexer.next()) {
        if (k.kind == Token::DictOpen) {
            ++depth;
        } else if (k.kind == Token::DictClose) {
            if (--depth == 0)
                break;
        } else if (depth == 1 && k.kind == Token::Name && part.text(k) == "/Size") {
            const Token size = sizeLexer.next();
            if (size.kind == Token::Integer)
                part.count = part.value(size);
        } else if (depth == 1 && k.kind == Token::Name && part.text(k) == "/Prev") {
            return QStringLiteral("an updated file");
        }
    }
    part.root = referenceAfter(part, Lexer(part.data, trailer, part.size), "/Root");
    part.info = referenceAfter(part, Lexer(part.data, trailer, part.size), "/Info");
    if (part.count <= 0 || part.root < 0)
        return QStringLiteral("no catalogue");

    std::sort(part.objects.begin(), part.objects.end(),
              [](const PdfObject& a, const PdfObject& b) { return a.offset < b.offset; });
    for (size_t i = 0; i < part.objects.size(); ++i) {
        PdfObject& object = part.objects[i];
        object.end = i + 1 < part.objects.size() ? part.objects[i + 1].offset : part.xref;
        // Each object's own start is checked as it is copied, so that only
        // the part being copied is read into memory.
        if (object.number <= 0 || object.number >= part.count || object.end <= object.offset)
            return QStringLiteral("an object out of place");
    }

    const PdfObject* catalogue = part.object(part.root);
    const std::optional<Lexer> catalogueBody = catalogue ? objectBody(part, *catalogue) : std::nullopt;
    if (!catalogueBody)
        return QStringLiteral("no catalogue");
    part.pages = referenceAfter(part, *catalogueBody, "/Pages");
    const PdfObject* pages = part.object(part.pages);
    const std::optional<Lexer> pagesBody = pages ? objectBody(part, *pages) : std::nullopt;
    if (!pagesBody)
        return QStringLiteral("no page tree");

    // A flat tree: its kids are the pages, as many as it counts.
    Lexer tree = *pagesBody;
    qint64 counted = -1;
    int level = 0;
    for (Token k = tree.next(); k.kind != Token::End && k.kind != Token::Bad; k = tree.next()) {
        if (k.kind == Token::DictOpen || k.kind == Token::ArrayOpen) {
            ++level;
        } else if (k.kind == Token::DictClose || k.kind == Token::ArrayClose) {
            if (--level == 0)
                break;
        } else if (level == 1 && part.text(k) == "/Count") {
            const Token n = tree.next();
            if (n.kind == Token::Integer)
                counted = part.value(n);
        } else if (level == 1 && part.text(k) == "/Kids") {
            if (tree.next().kind != Token::ArrayOpen)
                return QStringLiteral("a broken page tree");
            for (Token n = tree.next(); n.kind != Token::ArrayClose; n = tree.next()) {
                const Token generation = tree.next();
                const Token r = tree.next();
                if (n.kind != Token::Integer || generation.kind != Token::Integer || part.text(r) != "R")
                    return QStringLiteral("a broken page tree");
                part.kids.push_back(part.value(n));
            }
        }
    }
    if (counted != qint64(part.kids.size()) || part.kids.empty())
        return QStringLiteral("a page tree with pages below pages");
    return {};
}

// Writes through a buffer and counts the bytes written.
class Output
{
public:
    explicit Output(QIODevice& device) : m_device(device) {}

    void write(const char* data, qint64 size)
    {
        if (size <= 0)
            return;
        if (size > Buffer) {
            flush();
            m_ok = m_ok && m_device.write(data, size) == size;
        } else {
            m_buffer.append(data, size);
            if (m_buffer.size() > Buffer)
                flush();
        }
        m_position += size;
    }
    void write(const QByteArray& bytes) { write(bytes.constData(), bytes.size()); }
    bool flush()
    {
        if (!m_buffer.isEmpty()) {
            m_ok = m_ok && m_device.write(m_buffer) == m_buffer.size();
            m_buffer.clear();
        }
        return m_ok;
    }
    qint64 position() const { return m_position; }

private:
    static constexpr qint64 Buffer = 1 << 20;
    QIODevice& m_device;
    QByteArray m_buffer;
    qint64 m_position = 0;
    bool m_ok = true;
};

// Copies an object with its number and the references before its stream
// data renumbered; false when it refers to what the join leaves out.
template <typename Renumber>
bool copyRenumbered(const Part& part, const PdfObject& object, const Renumber& renumber, Output& out)
{
    Lexer lexer(part.data, object.offset, object.end);
    qint64 copied = object.offset;
    const auto replace = [&](const Token& token, qint64 number) {
        out.write(part.data + copied, token.begin - copied);
        out.write(QByteArray::number(number));
        copied = token.end;
    };
    const Token number = lexer.next();
    replace(number, renumber(part.value(number)));
    Token before{Token::Other}, last{Token::Other};
    lexer.next(); // the generation
    lexer.next(); // obj
    for (Token t = lexer.next();; t = lexer.next()) {
        if (t.kind == Token::End || t.kind == Token::Bad)
            return false;
        const std::string_view word = part.text(t);
        if (t.kind == Token::Keyword && (word == "stream" || word == "endobj"))
            break;
        if (t.kind == Token::Keyword && word == "R" && before.kind == Token::Integer && last.kind == Token::Integer) {
            const qint64 to = renumber(part.value(before));
            if (to < 0)
                return false;
            replace(before, to);
        }
        before = last;
        last = t;
    }
    out.write(part.data + copied, object.end - copied);
    return true;
}

QString failed(const QString& path, const QString& why)
{
    return QStringLiteral("Cannot join \"%1\": %2.").arg(QFileInfo(path).fileName(), why);
}

} // namespace

QString PdfPartJoin::join(const QStringList& paths, const std::vector<Run>& runs, QIODevice& out)
{
    if (paths.isEmpty())
        return QStringLiteral("No part to join.");
    std::vector<std::unique_ptr<Part>> parts;
    for (const QString& path : paths) {
        auto part = std::make_unique<Part>();
        part->file.setFileName(path);
        if (!part->file.open(QIODevice::ReadOnly) || part->file.size() == 0)
            return failed(path, QStringLiteral("it cannot be read"));
        part->size = part->file.size();
        part->data = reinterpret_cast<const char*>(part->file.map(0, part->size));
        if (!part->data)
            return failed(path, QStringLiteral("it cannot be read"));
        const QString why = readStructure(*part);
        if (!why.isEmpty())
            return failed(path, why);
        parts.push_back(std::move(part));
    }

    // The first part keeps its numbers; each further part's follow.
    std::vector<qint64> bases(parts.size(), 0);
    qint64 total = parts[0]->count;
    for (size_t k = 1; k < parts.size(); ++k) {
        bases[k] = total;
        total += parts[k]->count;
    }
    const Part& first = *parts[0];
    const auto renumber = [&](size_t k, qint64 n) -> qint64 {
        const Part& part = *parts[k];
        if (k == 0)
            return n;
        if (n == part.pages)
            return first.pages;
        if (n == part.root || n == part.info || n <= 0 || n >= part.count)
            return -1;
        return bases[k] + n;
    };

    QByteArray kids;
    qint64 pageCount = 0;
    for (const Run& run : runs) {
        if (run.part < 0 || size_t(run.part) >= parts.size() || run.pages < 0)
            return QStringLiteral("No such part to join.");
        Part& part = *parts[size_t(run.part)];
        if (part.kidsTaken + size_t(run.pages) > part.kids.size())
            return failed(paths[run.part], QStringLiteral("it has fewer pages than were painted"));
        for (int i = 0; i < run.pages; ++i) {
            kids += QByteArray::number(renumber(size_t(run.part), part.kids[part.kidsTaken++])) + " 0 R\n";
            ++pageCount;
        }
    }
    for (size_t k = 0; k < parts.size(); ++k) {
        if (parts[k]->kidsTaken != parts[k]->kids.size())
            return failed(paths[int(k)], QStringLiteral("it has more pages than were painted"));
    }

    // The first part's page tree with every page in order.
    const Part& tree = first;
    const PdfObject& pages = *tree.object(tree.pages);
    QByteArray pageTree;
    Lexer lexer(tree.data, pages.offset, pages.end);
    qint64 copied = pages.offset;
    const auto keep = [&](qint64 upTo) {
        pageTree.append(tree.data + copied, upTo - copied);
    };
    for (Token t = lexer.next(); t.kind != Token::End && t.kind != Token::Bad; t = lexer.next()) {
        if (t.kind != Token::Name)
            continue;
        if (tree.text(t) == "/Kids") {
            const Token open = lexer.next();
            Token close = lexer.next();
            while (close.kind != Token::ArrayClose && close.kind != Token::End && close.kind != Token::Bad)
                close = lexer.next();
            keep(open.begin);
            pageTree += "[\n" + kids + "]";
            copied = close.end;
        } else if (tree.text(t) == "/Count") {
            const Token n = lexer.next();
            keep(n.begin);
            pageTree += QByteArray::number(pageCount);
            copied = n.end;
        }
    }
    keep(pages.end);

    Output output(out);
    std::vector<qint64> offsets(size_t(total), -1);
    output.write(first.data, first.objects.front().offset); // the header
    for (size_t k = 0; k < parts.size(); ++k) {
        Part& part = *parts[k];
        for (const PdfObject& object : part.objects) {
            if (object.number == part.pages || (k > 0 && (object.number == part.root || object.number == part.info)))
                continue;
            const qint64 number = renumber(k, object.number);
            if (number < 0 || number >= total || !objectBody(part, object))
                return failed(paths[int(k)], QStringLiteral("an object out of place"));
            offsets[size_t(number)] = output.position();
            if (k == 0)
                output.write(part.data + object.offset, object.end - object.offset);
            else if (!copyRenumbered(part, object, [&](qint64 n) { return renumber(k, n); }, output))
                return failed(paths[int(k)], QStringLiteral("object %1 refers to what is left out").arg(object.number));
        }
        if (!output.flush())
            return QStringLiteral("Cannot write the joined document.");
        // What is copied leaves the memory: at most one part is mapped whole.
        part.file.unmap(const_cast<uchar*>(reinterpret_cast<const uchar*>(part.data)));
        part.data = nullptr;
    }
    offsets[size_t(first.pages)] = output.position();
    output.write(pageTree);

    // A new cross-reference table; the numbers left out are free.
    const qint64 xref = output.position();
    QByteArray table = "xref\n0 " + QByteArray::number(total) + "\n";
    table.reserve(table.size() + total * 20);
    std::vector<qint64> free;
    for (qint64 n = 1; n < total; ++n) {
        if (offsets[size_t(n)] < 0)
            free.push_back(n);
    }
    char entry[32];
    std::snprintf(entry, sizeof entry, "%010lld 65535 f \n", free.empty() ? 0LL : (long long)free.front());
    table += entry;
    size_t nextFree = 0;
    for (qint64 n = 1; n < total; ++n) {
        if (offsets[size_t(n)] >= 0) {
            std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", (long long)offsets[size_t(n)]);
        } else {
            ++nextFree;
            std::snprintf(entry, sizeof entry, "%010lld 00000 f \n",
                          nextFree < free.size() ? (long long)free[nextFree] : 0LL);
        }
        table += entry;
    }
    table += "trailer\n<<\n/Size " + QByteArray::number(total) + "\n";
    if (first.info > 0)
        table += "/Info " + QByteArray::number(first.info) + " 0 R\n";
    table += "/Root " + QByteArray::number(first.root) + " 0 R\n>>\nstartxref\n" + QByteArray::number(xref) +
             "\n%%EOF\n";
    output.write(table);
    if (!output.flush())
        return QStringLiteral("Cannot write the joined document.");
    return {};
}

} // namespace quelto::printing
