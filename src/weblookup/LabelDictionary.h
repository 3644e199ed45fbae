#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

namespace quelto::weblookup {

// The labels movie pages put before a field's value, in many languages:
// "Directed by", "Regie", "Réalisation", "Режиссёр", "导演" all name the
// director. Every structured profile reads a field that the page's structured
// data lacks under any of them. The shipped dictionary is a resource
// (labels.json); profiles add labels of their own.
//
// Besides visible labels the dictionary names class words: the class names
// (or ids) of page elements that hold a field with no label shown ("genre",
// "runtime"). The page snapshot reports such an element as labelled by its
// class word, so it is found like any other label.
class LabelDictionary
{
public:
    // The shipped dictionary, read once.
    static const LabelDictionary& shipped();

    // Reads a dictionary: {"languages": {"en": {"mv_director": [...], ...}, ...},
    // "classes": {"mv_genre": ["genre"], ...}}. On failure returns nothing and
    // says why in error.
    static std::optional<LabelDictionary> fromJson(const QByteArray& json, QString* error);

    // Adds labels of a field (a profile's "labels"); known ones are kept once.
    void add(const QString& column, const QStringList& labels);

    // The labels of a field in every language, the dictionary's order (English
    // first), then its class words.
    QStringList labels(const QString& column) const { return m_labels.value(column); }
    // The class words of every field, for the page snapshot.
    QStringList classWords() const;
    // Whether text, as PageSnapshot::normalisedLabel gives it, is a label of any field.
    bool isLabel(const QString& normalisedLabel) const { return m_normalised.contains(normalisedLabel); }
    // Every label and class word as PageSnapshot::normalisedLabel gives it, sorted.
    QStringList normalisedLabels() const;
    // The languages the dictionary holds ("en", "de", ...).
    const QStringList& languages() const { return m_languages; }

    // The columns a dictionary may name: the profile's fields and the running time.
    static bool knownColumn(const QString& column);

private:
    void addLabel(const QString& column, const QString& label);

    QHash<QString, QStringList> m_labels; // column -> labels, in order
    QHash<QString, QStringList> m_classes; // column -> class words
    QSet<QString> m_normalised;
    QStringList m_languages;
};

} // namespace quelto::weblookup
