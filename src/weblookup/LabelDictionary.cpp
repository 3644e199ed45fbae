#include "weblookup/LabelDictionary.h"

#include "weblookup/PageSnapshot.h"
#include "weblookup/SiteProfile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <functional>

namespace quelto::weblookup {
namespace {

// Reads {"column": ["label", ...], ...} into add; says what is wrong in error.
bool readColumns(const QJsonObject& object, const QString& where, QString* error,
                 const std::function<void(const QString&, const QString&)>& add)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!LabelDictionary::knownColumn(it.key())) {
            if (error)
                *error = QStringLiteral("\"%1%2\": unknown field").arg(where, it.key());
            return false;
        }
        const QJsonValue value = it.value();
        const QJsonArray list = value.isString() ? QJsonArray{value} : value.toArray();
        if (!value.isString() && !value.isArray()) {
            if (error)
                *error = QStringLiteral("\"%1%2\" must be a text or a list of texts").arg(where, it.key());
            return false;
        }
        for (const QJsonValue& label : list) {
            if (!label.isString()) {
                if (error)
                    *error = QStringLiteral("\"%1%2\" must list texts").arg(where, it.key());
                return false;
            }
            add(it.key(), label.toString());
        }
    }
    return true;
}

} // namespace

bool LabelDictionary::knownColumn(const QString& column)
{
    return SiteProfile::fieldColumns().contains(column) && column != u"title" && column != u"cover";
}

const LabelDictionary& LabelDictionary::shipped()
{
    static const LabelDictionary dictionary = [] {
        QFile file(QStringLiteral(":/weblookup/profiles/labels.json"));
        if (!file.open(QIODevice::ReadOnly))
            return LabelDictionary{};
        return fromJson(file.readAll(), nullptr).value_or(LabelDictionary{});
    }();
    return dictionary;
}

std::optional<LabelDictionary> LabelDictionary::fromJson(const QByteArray& json, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (!doc.isObject()) {
        if (error)
            *error = QStringLiteral("not a JSON object: %1").arg(parseError.errorString());
        return std::nullopt;
    }
    LabelDictionary d;
    const QJsonObject languages = doc.object().value(QLatin1String("languages")).toObject();
    // English first: pages use it most, whatever their site's language.
    d.m_languages = languages.keys();
    if (d.m_languages.removeOne(QStringLiteral("en")))
        d.m_languages.prepend(QStringLiteral("en"));
    for (const QString& language : std::as_const(d.m_languages)) {
        if (!readColumns(languages.value(language).toObject(), QStringLiteral("languages.%1.").arg(language), error,
                         [&d](const QString& column, const QString& label) { d.addLabel(column, label); }))
            return std::nullopt;
    }
    const QJsonObject classes = doc.object().value(QLatin1String("classes")).toObject();
    if (!readColumns(classes, QStringLiteral("classes."), error, [&d](const QString& column, const QString& word) {
            const QString w = word.trimmed().toLower();
            if (!w.isEmpty() && !d.m_classes[column].contains(w))
                d.m_classes[column].append(w);
        }))
        return std::nullopt;
    for (auto it = d.m_classes.begin(); it != d.m_classes.end(); ++it) {
        for (const QString& word : std::as_const(it.value()))
            d.addLabel(it.key(), word);
    }
    return d;
}

void LabelDictionary::add(const QString& column, const QStringList& labels)
{
    for (const QString& label : labels)
        addLabel(column, label);
}

void LabelDictionary::addLabel(const QString& column, const QString& label)
{
    const QString text = label.simplified();
    if (text.isEmpty())
        return;
    QStringList& list = m_labels[column];
    if (!list.contains(text, Qt::CaseInsensitive))
        list.append(text);
    m_normalised.insert(PageSnapshot::normalisedLabel(text));
}

QStringList LabelDictionary::normalisedLabels() const
{
    QStringList labels(m_normalised.begin(), m_normalised.end());
    labels.sort();
    return labels;
}

QStringList LabelDictionary::classWords() const
{
    QStringList words;
    for (const QStringList& list : m_classes) {
        for (const QString& w : list) {
            if (!words.contains(w))
                words.append(w);
        }
    }
    words.sort();
    return words;
}

} // namespace quelto::weblookup
