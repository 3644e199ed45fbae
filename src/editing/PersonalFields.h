#pragma once

#include "editing/FormSection.h"

#include <QStringList>

namespace quelto::editing {

struct RecordForm;

// The personal fields of the Personal tab and the movie's recording speed on
// the Media tab, bound to the program's own columns of archive: My rating,
// Seen, Notes, Location, Purchased, Price, Condition, Running time, Speed.
// What the user typed is checked when the record is saved; a field that
// cannot be stored keeps its text and is shown with the reason.
class PersonalFields : public FormSection
{
public:
    explicit PersonalFields(RecordForm& form);

    void show(const catalog::RecordSet& set) override;
    void clear() override;
    bool changed() const override;
    void markUnchanged() override;
    QString problem() override;
    bool needsOwnStorage() const override;
    void toRecord(catalog::RecordSet& set) override;
    void addShownValues(QHash<QString, QVariant>& values) const override;

    // The values the fields stand for, by column; Null for an empty field.
    // Fields whose text cannot be read count as empty here.
    QHash<QString, QVariant> values() const;

    // Shows the speeds a medium's system records at; a stored one stays.
    void offerSpeedsFor(const QString& mediaType);

private:
    QStringList texts() const;
    void showValues(const QHash<QString, QVariant>& values);

    RecordForm& m_form;
    QStringList m_shownTexts;
    QHash<QString, QVariant> m_shownValues; // as read, columns the set has
};

} // namespace quelto::editing
