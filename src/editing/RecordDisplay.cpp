#include "editing/RecordDisplay.h"

#include "catalog/ArchiveKeys.h"
#include "catalog/BackgroundQuery.h"
#include "catalog/CatalogSchema.h"
#include "catalog/Database.h"
#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "editing/BlankText.h"
#include "editing/FieldBinding.h"
#include "editing/FormSection.h"
#include "editing/RecordForm.h"
#include "editing/StatusShape.h"
#include "editing/UnsavedChanges.h"
#include "tasks/CommandRunner.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quelto::editing {

using catalog::EngineError;
using catalog::RecordSet;

RecordDisplay::RecordDisplay(RecordForm& form, catalog::CatalogState& state) : m_form(form), m_state(state)
{
    QLabel* mirror = form.titlelabel;
    QPushButton* search = form.searchbtn;
    QObject::connect(form.title, &QLineEdit::textChanged, mirror, [mirror, search](const QString& text) {
        mirror->setText(text);
        search->setEnabled(true);
    });
}

void RecordDisplay::addShownListener(std::function<void()> listener)
{
    m_shownListeners.push_back(std::move(listener));
}

void RecordDisplay::notifyShown()
{
    showNavigationState();
    for (const auto& listener : m_shownListeners)
        listener();
}

void RecordDisplay::showNavigationState()
{
    // "<<" and "<" where there is a record before, ">" and ">>" where there is
    // one after; none on an empty set or in a new record.
    bool back = false;
    bool forward = false;
    const RecordSet* set = m_state.current.get();
    if (!m_state.newRecordMode && set && set->isOpen()) {
        const int count = set->recordCount();
        if (set->hasCurrentRow()) {
            const int position = set->absolutePosition();
            back = position > 0;
            forward = position + 1 < count;
        } else {
            back = forward = count > 0; // between rows: either end can be reached
        }
    }
    m_form.dbFirst->setEnabled(back);
    m_form.dbPrev->setEnabled(back);
    m_form.dbNext->setEnabled(forward);
    m_form.dbLast->setEnabled(forward);
}

void RecordDisplay::recordToForm()
{
    struct Notify
    {
        RecordDisplay* display;
        ~Notify() { display->notifyShown(); }
    } notify{this};
    RecordSet* set = m_state.current.get();
    if (!set)
        return;
    followFilterCount(*set);
    // Whatever the display leaves on show is what the user starts from.
    struct Snapshot
    {
        RecordDisplay* display;
        ~Snapshot() { display->markUnchanged(); }
    } snapshot{this};
    try {
        if (set->bof() && set->eof()) {
            // No record: nothing of the one shown before (its cover, its personal fields) stays.
            for (FormSection* section : m_sections)
                section->clear();
            return;
        }
        const std::vector<FieldBinding> fields = FieldBinding::of(m_form);
        std::vector<QString> texts;
        texts.reserve(fields.size());
        QHash<QString, QVariant> shown;
        for (const FieldBinding& field : fields) {
            const QVariant value = set->value(field.column());
            shown.insert(field.column(), value);
            texts.push_back(BlankText::shown(value)); // Null and the blank show empty
        }
        for (size_t i = 0; i < fields.size(); ++i)
            fields[i].setText(texts[i]);
        for (FormSection* section : m_sections) {
            section->show(*set);
            section->addShownValues(shown);
        }
        m_shownValues = std::move(shown);
        for (size_t i = 0; i < fields.size(); ++i) {
            if (fields[i].valueTooltip())
                fields[i].widget()->setToolTip(texts[i]);
        }
        const int position = set->absolutePosition();
        m_form.dbPrev->setEnabled(position != 0);
        m_form.dbNext->setEnabled(set->recordCount() != position + 1);
    } catch (const EngineError&) {
        // No current row: the display stops without a message.
    }
}

void RecordDisplay::formToRecord()
{
    RecordSet& set = *m_state.current;
    for (const FieldBinding& field : FieldBinding::of(m_form)) {
        const QString text = storedText(field);
        // A medium field that the stored record left without a value (a row
        // another program or an import wrote) and that is still empty keeps
        // what it had: the rest of the record can be saved.
        if (text.isEmpty() && field.column().startsWith(QLatin1String("md_"))) {
            const auto shown = m_shownValues.constFind(field.column());
            if (shown != m_shownValues.constEnd() && BlankText::isBlank(shown->toString())) {
                set.setValue(field.column(), *shown);
                continue;
            }
        }
        set.setValue(field.column(), text);
    }
    for (FormSection* section : m_sections)
        section->toRecord(set);
}

bool RecordDisplay::isRequired(const QString& column)
{
    // An empty title, catalogue ID or medium is refused by the store, and the
    // refusal is the caller's to report.
    return column == QLatin1String("title") || column == QLatin1String("catalog") ||
           column.startsWith(QLatin1String("md_"));
}

QString RecordDisplay::storedText(const FieldBinding& field)
{
    return BlankText::stored(field.text(), isRequired(field.column()));
}

void RecordDisplay::clearFields()
{
    RecordForm& f = m_form;
    const catalog::MediaDefaults& defaults = m_state.mediaDefaults;
    m_shownValues.clear();
    f.title->clear();
    f.catalog->clear();
    f.vidfmt->setEditText(defaults.format);
    f.mediatype->setEditText(defaults.media);
    f.screenformat->setEditText(defaults.image);
    f.soundfmt->setEditText(defaults.sound);
    f.mdLang->setEditText(defaults.language);

    for (QComboBox* box : {f.mv_country, f.mv_lang, f.mvColor, f.mvSound, f.mvGenre, f.mvDirector, f.mvProducer,
                           f.mvBook, f.mvMusic})
        box->setEditText(QString());
    f.mv_year->clear();
    f.mvRanking->clear();
    for (QComboBox* box : f.mvCast)
        box->setEditText(QString());
    for (FormSection* section : m_sections)
        section->clear();
    markUnchanged();
    notifyShown();
}

void RecordDisplay::showCurrent()
{
    const RecordSet& set = *m_state.current;
    if (set.bof() && set.eof())
        clearFields();
    else
        recordToForm();
}

std::vector<QString> RecordDisplay::fieldTexts() const
{
    // As they would be stored: blanks typed around a value change nothing.
    std::vector<QString> texts;
    for (const FieldBinding& field : FieldBinding::of(m_form))
        texts.push_back(field.text().trimmed());
    return texts;
}

void RecordDisplay::markUnchanged()
{
    m_shown = fieldTexts();
    for (FormSection* section : m_sections)
        section->markUnchanged();
}

bool RecordDisplay::fieldsChanged() const
{
    if (!m_state.newRecordMode) {
        const RecordSet* set = m_state.current.get();
        if (!set || !set->hasCurrentRow())
            return false;
    }
    if (fieldTexts() != m_shown)
        return true;
    for (const FormSection* section : m_sections) {
        if (section->changed())
            return true;
    }
    return false;
}

bool RecordDisplay::settleUnsavedChanges() { return !m_guard || m_guard->settle(); }

int RecordDisplay::archiveCount(catalog::Database& db)
{
    // Kept by the engine rather than counted after every save.
    return catalog::ArchiveKeys::count(*db.connection());
}

QString RecordDisplay::recordCountText(int count, const QLocale& locale)
{
    return locale.toString(count) + QStringLiteral(" records in database");
}

void RecordDisplay::showRecordCount()
{
    catalog::Database& db = *m_state.database;
    const std::optional<int> kept = catalog::ArchiveKeys::keptCount(*db.connection());
    if (kept)
        m_form.labelRecords->setText(recordCountText(*kept));
    else if (m_runner)
        countAway(); // the label keeps the last count until then
    else
        m_form.labelRecords->setText(recordCountText(archiveCount(db)));
    notifyShown(); // after a save or a delete
}

void RecordDisplay::countAway()
{
    if (m_counting)
        return; // the count under way answers for this request too
    m_counting = true;
    catalog::Database& db = *m_state.database;
    const std::shared_ptr<catalog::SqliteConnection> connection = db.connection();
    const qint64 version = catalog::ArchiveKeys::dataVersion(*connection);
    const qint64 changes = connection->totalChanges();
    const QString path = db.path();
    const std::weak_ptr<bool> alive = m_alive;
    const std::weak_ptr<catalog::SqliteConnection> asked = connection;
    const auto over = [this, alive] {
        if (alive.lock())
            m_counting = false;
    };
    m_runner->run<qint64>(
        QObject::tr("Counting the records..."),
        [path](tasks::TaskControl& control) {
            qint64 rows = 0;
            catalog::BackgroundQuery::run(path, control, [&rows](catalog::SqliteConnection& c) {
                auto counted = c.prepare(QStringLiteral("select count(*) from archive"));
                counted->step();
                rows = counted->int64(0);
            });
            return rows;
        },
        [this, alive, asked, version, changes](qint64& rows) {
            if (!alive.lock())
                return;
            m_counting = false;
            const std::shared_ptr<catalog::SqliteConnection> connection = asked.lock();
            if (!connection || !m_state.database || m_state.database->connection() != connection)
                return; // another catalogue is open now
            // Kept only when nothing has changed the file since the count was
            // asked for; shown all the same (it was the count a moment ago).
            if (catalog::ArchiveKeys::dataVersion(*connection) == version && connection->totalChanges() == changes)
                catalog::ArchiveKeys::knowCount(*connection, rows);
            m_form.labelRecords->setText(recordCountText(int(rows)));
        },
        [over](const QString&) { over(); }, over);
}

void RecordDisplay::followFilterCount(const RecordSet& set)
{
    // A search's count ("Genre: Drama [5]") follows its records when a save,
    // a delete or an undo adds or takes some away.
    QString& description = m_state.filterDescription;
    if (!m_state.filterActive || !description.endsWith(QLatin1Char(']')))
        return;
    const qsizetype open = description.lastIndexOf(QLatin1String(" ["));
    bool number = false;
    const int counted = open < 0 ? 0 : description.mid(open + 2, description.size() - open - 3).toInt(&number);
    if (!number || counted == set.recordCount())
        return;
    description = description.left(open) + QStringLiteral(" [%1]").arg(set.recordCount());
    m_form.filterset->setText(description);
    m_form.filterset->setToolTip(description);
}

void RecordDisplay::showFilterState()
{
    m_form.filterset->setText(m_state.filterDescription);
    m_form.filterset->setToolTip(m_state.filterDescription);
    m_form.dbNoFilter->setEnabled(true);
    m_form.dbNew->setEnabled(false);
    m_form.Shape1->setMode(StatusShape::Mode::Filtered);
    try {
        m_state.current->moveFirst();
    } catch (const EngineError&) {
    }
    recordToForm();
}

} // namespace quelto::editing
