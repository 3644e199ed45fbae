#include "webcatalogue/WebCataloguePage.h"

#include "catalog/EngineError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <kainjow/mustache.hpp>

namespace quelto::webcatalogue {
namespace {

using catalog::EngineError;
namespace mustache = kainjow::mustache;

constexpr char Separator = '\x1f'; // between the values of a plain entry; no field holds it

const char* const PlainNames[WebCataloguePage::PlainFieldCount] = {
    "title", "mediaId", "genre", "country", "year", "director", "medium", "format", "cast", "cover"};

std::string utf8(const QString& text)
{
    return text.toStdString();
}

// The movies section: its text is a template of its own, given each movie in turn.
mustache::data moviesSection(const std::vector<std::string>& entries, std::string& error)
{
    return mustache::lambda2{[&entries, &error](const std::string& text, const mustache::renderer&) {
        mustache::mustache row{text};
        if (!row.is_valid()) {
            error = row.error_message();
            return std::string();
        }
        std::string out;
        for (const std::string& entry : entries) {
            mustache::data movie;
            size_t start = 0;
            for (int field = 0; field < WebCataloguePage::PlainFieldCount; ++field) {
                size_t end = entry.find(Separator, start);
                if (end == std::string::npos)
                    end = entry.size();
                if (end > start)
                    movie.set(PlainNames[field], entry.substr(start, end - start));
                start = end + 1;
            }
            row.render(movie, [&out](const std::string& part) { out += part; });
        }
        if (!row.is_valid())
            error = row.error_message();
        return out;
    }};
}

} // namespace

std::string WebCataloguePage::plainEntry(const std::vector<QString>& values)
{
    std::string entry;
    for (size_t i = 0; i < values.size() && i < size_t(PlainFieldCount); ++i) {
        if (i > 0)
            entry += Separator;
        QString value = values[i].trimmed();
        value.remove(QChar(Separator));
        entry += utf8(value);
    }
    return entry;
}

QString WebCataloguePage::userTemplateFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("quelto/templates/web-catalogue"));
}

QByteArray WebCataloguePage::templateFile(const QString& name, QString* from)
{
    QString path = QDir(userTemplateFolder()).filePath(name);
    if (!QFileInfo(path).isFile())
        path = QStringLiteral(":/webcatalogue/") + name;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EngineError(QStringLiteral("The template \"%1\" cannot be read: %2")
                              .arg(QDir::toNativeSeparators(path), file.errorString()));
    if (from)
        *from = path;
    return file.readAll();
}

std::string WebCataloguePage::render(const QByteArray& pageTemplate, const PageValues& values, const std::string& json,
                                     const std::vector<std::string>& entries)
{
    mustache::mustache page{pageTemplate.toStdString()};
    if (!page.is_valid())
        throw EngineError(QStringLiteral("The page's template cannot be used: %1")
                              .arg(QString::fromStdString(page.error_message())));
    const QLocale locale;
    std::string sectionError;
    mustache::data root;
    root.set("heading", utf8(values.heading));
    root.set("written", utf8(locale.toString(values.written, QLocale::LongFormat)));
    root.set("writtenIso", utf8(values.written.toString(Qt::ISODate)));
    root.set("count", utf8(QString::number(values.count)));
    root.set("countText", utf8(values.count == 1 ? QStringLiteral("1 movie")
                                                 : locale.toString(values.count) + QStringLiteral(" movies")));
    if (!values.search.isEmpty())
        root.set("search", utf8(values.search));
    root.set("covers", values.covers ? mustache::data::type::bool_true : mustache::data::type::bool_false);
    root.set("data", json);
    root.set("movies", moviesSection(entries, sectionError));
    std::string out = page.render(root);
    if (!page.is_valid() || !sectionError.empty())
        throw EngineError(QStringLiteral("The page's template cannot be used: %1")
                              .arg(QString::fromStdString(sectionError.empty() ? page.error_message() : sectionError)));
    return out;
}

} // namespace quelto::webcatalogue
