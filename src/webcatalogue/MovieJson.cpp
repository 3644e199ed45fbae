#include "webcatalogue/MovieJson.h"

#include "webcatalogue/ScriptSafeJson.h"

namespace quelto::webcatalogue {

MovieJson::MovieJson(const QStringList& fields) : m_fields(size_t(fields.size()))
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            m_names += ',';
        ScriptSafeJson::appendString(m_names, fields.at(i).toUtf8());
        m_fields[size_t(i)].numbers.emplace(std::string(), 0);
        m_fields[size_t(i)].texts.emplace_back("\"\"");
    }
}

void MovieJson::add(const std::vector<QByteArray>& texts)
{
    m_movies += m_count == 0 ? "[" : ",[";
    for (size_t i = 0; i < m_fields.size(); ++i) {
        Field& field = m_fields[i];
        const QByteArray& text = i < texts.size() ? texts[i] : QByteArray();
        m_key.assign(text.constData(), size_t(text.size()));
        auto place = field.numbers.find(m_key);
        if (place == field.numbers.end()) {
            place = field.numbers.emplace(m_key, int(field.numbers.size())).first;
            std::string json;
            ScriptSafeJson::appendString(json, text);
            field.texts.push_back(std::move(json));
        }
        if (i > 0)
            m_movies += ',';
        m_movies += std::to_string(place->second);
    }
    m_movies += ']';
    ++m_count;
}

void MovieJson::blank(int field, const QByteArray& text)
{
    Field& f = m_fields.at(size_t(field));
    const auto place = f.numbers.find(std::string(text.constData(), size_t(text.size())));
    if (place != f.numbers.end())
        f.texts[size_t(place->second)] = "\"\"";
}

std::string MovieJson::take(bool covers)
{
    std::string out;
    size_t size = m_names.size() + m_movies.size() + 64;
    for (const Field& field : m_fields) {
        for (const std::string& text : field.texts)
            size += text.size() + 1;
    }
    out.reserve(size);
    out += "{\"fields\":[";
    out += m_names;
    out += "],\"values\":[";
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (i > 0)
            out += ',';
        out += '[';
        for (size_t t = 0; t < m_fields[i].texts.size(); ++t) {
            if (t > 0)
                out += ',';
            out += m_fields[i].texts[t];
        }
        out += ']';
        m_fields[i] = {};
    }
    out += "],\"movies\":[";
    out += m_movies;
    m_movies = {};
    out += covers ? "],\"covers\":true}" : "],\"covers\":false}";
    return out;
}

} // namespace quelto::webcatalogue
