#include "refresh/GrabAgainCommand.h"

#include "catalog/CatalogState.h"
#include "catalog/Database.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "editing/FormSection.h"
#include "editing/RecordCommands.h"
#include "editing/RecordDisplay.h"
#include "editing/RecordForm.h"
#include "editing/UserPrompts.h"
#include "refresh/GrabAgainDialog.h"
#include "refresh/LookupRereader.h"
#include "refresh/SourceField.h"
#include "weblookup/FormFields.h"
#include "weblookup/GrabResult.h"
#include "weblookup/LookupTab.h"
#include "weblookup/LookupWorkflow.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

namespace quelto::refresh {

namespace {

QList<collection::CastRole> rolesOf(const QList<QPair<QString, QString>>& billed)
{
    QList<collection::CastRole> roles;
    for (const auto& [person, character] : billed)
        roles.append({person, character});
    return roles;
}

} // namespace

GrabAgainCommand::GrabAgainCommand(const editing::WindowParts& parts, weblookup::LookupTab& lookup,
                                   editing::RecordCommands& records, QObject* parent)
    : QObject(parent), m_parts(parts), m_records(records), m_rereader(std::make_unique<LookupRereader>(lookup.profile()))
{
    setObjectName(QStringLiteral("grabAgain"));
    m_source = new SourceField(parts.form, parts.state, this);
    parts.display.addSection(m_source);
    connect(&lookup.workflow(), &weblookup::LookupWorkflow::grabFinished, this, &GrabAgainCommand::grabbed);

    m_action = new QAction(Caption, &parts.window);
    m_action->setObjectName(QStringLiteral("mnGrabAgain"));
    m_action->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G));
    connect(m_action, &QAction::triggered, this, &GrabAgainCommand::run);
    // In the Edit menu, after Undo and Redo (every letter of "Internet" is
    // taken by the menu bar, the command buttons or the field captions).
    if (QMenu* edit = parts.menu(QStringLiteral("mnEdit"))) {
        edit->addSeparator();
        edit->addAction(m_action);
    }

    // Beside "Grab Data !".
    if (QPushButton* grabit = lookup.findChild<QPushButton*>(QStringLiteral("grabit"))) {
        if (auto* row = qobject_cast<QBoxLayout*>(grabit->parentWidget()->layout())) {
            m_button = new QPushButton(QStringLiteral("Grab Again"), grabit->parentWidget());
            m_button->setObjectName(QStringLiteral("grabAgainButton"));
            m_button->setFont(grabit->font());
            m_button->setMinimumHeight(grabit->minimumHeight());
            row->insertWidget(row->indexOf(grabit) + 1, m_button);
            connect(m_button, &QPushButton::clicked, this, &GrabAgainCommand::run);
        }
    }
    parts.display.addShownListener([this] {
        m_source->updateToolTips();
        update();
    });
    connect(&records, &editing::RecordCommands::newRecordStarted, this, &GrabAgainCommand::update);
    update();
}

GrabAgainCommand::~GrabAgainCommand() = default;

void GrabAgainCommand::setRereader(std::unique_ptr<PageRereader> rereader) { m_rereader = std::move(rereader); }

QString GrabAgainCommand::whyNot() const
{
    const catalog::CatalogState& state = m_parts.state;
    if (!state.database || !state.current || state.newRecordMode || !state.current->hasCurrentRow())
        return NoSavedRecord;
    if (const catalog::EngineError* refusal = state.database->connection()->refusal())
        return ReadOnly.arg(refusal->message());
    if (m_source->shownSource().address.isEmpty())
        return NoAddress;
    return {};
}

void GrabAgainCommand::update()
{
    const QString why = m_running ? QStringLiteral("Grab Again is reading the page.") : whyNot();
    const QString tip = why.isEmpty() ? QStringLiteral("Read this record's page (%1) again and choose what to take")
                                            .arg(m_source->shownSource().address)
                                      : why;
    m_action->setEnabled(why.isEmpty());
    m_action->setToolTip(tip);
    m_action->setStatusTip(tip);
    if (m_button) {
        m_button->setEnabled(why.isEmpty());
        m_button->setToolTip(tip);
    }
}

void GrabAgainCommand::grabbed(const weblookup::GrabResult& result)
{
    m_source->take(result.titlePage.toString(QUrl::FullyEncoded), rolesOf(result.billedCast));
    // Once the other parts of the window have had the grab (the spellings in
    // use give the boxes their tooltips), the characters go on top.
    QMetaObject::invokeMethod(m_source, &SourceField::updateToolTips, Qt::QueuedConnection);
}

void GrabAgainCommand::run()
{
    if (m_running)
        return;
    if (const QString why = whyNot(); !why.isEmpty()) {
        m_parts.prompts.exclamation(why);
        return;
    }
    bool unsaved = m_parts.display.fieldsChanged();
    for (const editing::FormSection* section : m_parts.display.sections())
        unsaved = unsaved || section->changed();
    if (unsaved) {
        m_parts.prompts.exclamation(UnsavedFirst);
        return;
    }
    catalog::CatalogState& state = m_parts.state;
    const qint64 bookmark = state.current->bookmark();
    const QString address = m_source->shownSource().address;
    m_running = true;
    update();
    if (QStatusBar* status = m_parts.window.statusBar())
        status->showMessage(QStringLiteral("Reading %1 ...").arg(address));
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const Reread reread = m_rereader->read(QUrl(address));
    QApplication::restoreOverrideCursor();
    m_running = false;
    if (QStatusBar* status = m_parts.window.statusBar())
        status->clearMessage();
    struct Done
    {
        GrabAgainCommand* command;
        ~Done()
        {
            command->update();
            emit command->finished();
        }
    } done{this};

    if (!reread.read) {
        m_parts.prompts.exclamation(CannotRead.arg(address, reread.error));
        return;
    }
    // The window answered while the page was read.
    if (!state.current || state.newRecordMode || !state.current->hasCurrentRow() ||
        state.current->bookmark() != bookmark || m_source->shownSource().address != address ||
        m_parts.display.fieldsChanged()) {
        m_parts.prompts.exclamation(MovedOn);
        return;
    }
    const weblookup::LookupFields shown = weblookup::FormFields::read(m_parts.form);
    weblookup::LookupFields fresh = reread.fields;
    if (m_respelling) {
        // As "Grab Data !" would have put them into the form.
        editing::RecordForm& form = m_parts.form;
        auto respell = [&](weblookup::ComboField& field, const QComboBox* box) {
            const QString spelled = m_respelling(box, field.text);
            if (spelled == field.text)
                return;
            if (field.toolTip == field.text)
                field.toolTip = spelled;
            field.text = spelled;
        };
        respell(fresh.mvDirector, form.mvDirector);
        respell(fresh.mvGenre, form.mvGenre);
        respell(fresh.mv_country, form.mv_country);
        respell(fresh.mv_lang, form.mv_lang);
        respell(fresh.mvColor, form.mvColor);
        respell(fresh.mvSound, form.mvSound);
        respell(fresh.mvBook, form.mvBook);
        for (size_t i = 0; i < fresh.mvCast.size(); ++i)
            respell(fresh.mvCast[i], form.mvCast[i]);
        respell(fresh.mvMusic, form.mvMusic);
        respell(fresh.mvProducer, form.mvProducer);
    }
    QList<FieldChange> changes = FieldChanges::between(shown, fresh);
    const FieldChange cast = FieldChanges::castChange(m_source->shownSource().cast, reread.cast);
    if (!cast.column.isEmpty())
        changes.append(cast);
    if (changes.isEmpty()) {
        m_parts.prompts.message(NothingChanged);
        return;
    }
    GrabAgainDialog dialog(shown.title, address, changes, &m_parts.window);
    m_parts.prompts.showModal(dialog);
    if (dialog.result() != QDialog::Accepted)
        return;
    const QSet<QString> taken = dialog.checked();
    if (taken.isEmpty())
        return;
    weblookup::FormFields::writeAll(FieldChanges::applied(shown, fresh, taken), m_parts.form);
    if (taken.contains(FieldChanges::CharactersColumn))
        m_source->takeCast(reread.cast);
    m_records.save();
}

} // namespace quelto::refresh
