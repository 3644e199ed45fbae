#pragma once

#include "completion/CatalogValues.h"
#include "completion/SpellingMap.h"

#include <QObject>
#include <QList>
#include <QPointer>
#include <utility>
#include <memory>
#include <vector>

class QComboBox;
class QConcatenateTablesProxyModel;
class QStringListModel;

namespace quelto::editing {

struct RecordForm;

// The people, company and genre fields offer, below their option list's
// entries, the values the catalogue holds that begin with what is typed
// ("Jean-P" offers "Jean-Pierre Jeunet" once a record has him). The values
// are read on a thread of their own when a catalogue is opened; every record
// shown (a saved one too) adds its values.
class CatalogueCompletion : public QObject
{
    Q_OBJECT
public:
    // How many catalogue values a field offers at most.
    static constexpr int MaxOffered = 40;

    explicit CatalogueCompletion(const RecordForm& form, QObject* parent = nullptr);
    ~CatalogueCompletion() override;

    // Reads the catalogue at path afresh (empty: none).
    void readCatalogue(const QString& path);
    // The values of the record on show in the form.
    void noteShownRecord();
    // The grab's values in the form take the spellings in use: the alias
    // table's, then the option list's or catalogue's (SpellingMap).
    void respellGrabbed(const completion::SpellingMap& map);
    // value as map and the spellings in use would put it into box (one of
    // the form's movie boxes; any other box keeps it as it is).
    QString respelled(const QComboBox* box, const QString& value, const completion::SpellingMap& map) const;
    // Whether the values of the last catalogue asked for are in.
    bool isReady() const { return m_ready; }
    const completion::CatalogValues& values() const { return m_values; }

signals:
    void valuesRead();

private:
    struct Field
    {
        QComboBox* box;
        completion::CatalogValues::Kind kind;
        QStringListModel* offered;
    };
    void offer(const Field& field, const QString& text);

    std::vector<Field> m_fields;
    std::vector<QComboBox*> m_movieBoxes; // every drop-down of a movie field
    completion::CatalogValues m_values;
    quint64 m_generation = 0;
    bool m_ready = false;
    QList<std::pair<completion::CatalogValues::Kind, QString>> m_noted; // while reading
};

} // namespace quelto::editing
