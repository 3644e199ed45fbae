#pragma once

#include <QByteArray>
#include <QStringList>
#include <string>
#include <unordered_map>
#include <vector>

namespace quelto::webcatalogue {

// The movies as the page's script reads them, in JSON safe inside a <script>
// block (ScriptSafeJson):
//   {"fields":[names], "values":[[texts of field 0], ...], "movies":[[n, ...], ...], "covers":bool}
// Each field's distinct texts stand once in values (the empty text first); a
// movie holds the number of its text for each field. Catalogues repeat media,
// genres, countries and people a lot, so this is far smaller and quicker to
// read than the texts themselves.
class MovieJson
{
public:
    explicit MovieJson(const QStringList& fields);

    // One movie's texts, a UTF-8 text per field, in the order of the fields.
    void add(const std::vector<QByteArray>& texts);
    // The movies that hold this text in the field hold the empty text instead.
    void blank(int field, const QByteArray& text);
    qint64 count() const { return m_count; }

    // The whole JSON text; the object is spent.
    std::string take(bool covers);

private:
    struct Field
    {
        std::unordered_map<std::string, int> numbers;
        std::vector<std::string> texts; // the JSON strings by number
    };
    std::vector<Field> m_fields;
    std::string m_names;
    std::string m_movies;
    std::string m_key; // the text looked up, kept to spare allocations
    qint64 m_count = 0;
};

} // namespace quelto::webcatalogue
