#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

namespace quelto::catalog {
class Database;
class RecordSet;
} // namespace quelto::catalog

class QWidget;

namespace quelto::editing {

// A part of the record form beyond archive's 24 columns (the personal fields,
// the cover, the tape): it takes part in every display operation and is
// stored with the record, in the same transaction. The program's own columns
// may be missing from a file: a section reads a missing column as empty and
// writes only columns the set has; before that, the writer adds the own
// storage when needsOwnStorage() says so.
class FormSection
{
public:
    virtual ~FormSection() = default;

    // recordToForm: shows the current row of set.
    virtual void show(const catalog::RecordSet& set) = 0;
    // clearFields: empty, for a new record.
    virtual void clear() = 0;
    // Whether the fields differ from what show() or clear() left.
    virtual bool changed() const = 0;
    // What the fields hold now is what the record holds (after a save).
    virtual void markUnchanged() = 0;

    // Something typed that cannot be stored, as a message for the user;
    // empty when everything can be. A section with a problem shows the field.
    virtual QString problem() = 0;
    // Whether storing the fields needs the program's own columns and tables.
    virtual bool needsOwnStorage() const = 0;
    // formToRecord: into the set's open edit buffer.
    virtual void toRecord(catalog::RecordSet& set) = 0;
    // After the row has been written, in the same transaction: what is kept
    // beside archive. recordId is the row's identity (0 when it has none).
    virtual void stored(catalog::Database& db, qint64 recordId) {}
    // The stored values that show() showed, by column, for the check that
    // no one else has changed the row in the meantime.
    virtual void addShownValues(QHash<QString, QVariant>& values) const {}
    // The same check for what the section keeps beside archive: in the save's
    // write transaction, before anything is written, whether what it is about
    // to write over has been changed by another program since show(). rowid
    // is the row being stored.
    virtual bool changedElsewhere(catalog::Database& db, qint64 rowid) const { return false; }

    // Brings a field's tab to the front and puts the focus in the field.
    static void reveal(QWidget* field);
};

} // namespace quelto::editing
