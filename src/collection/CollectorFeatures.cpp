#include "collection/CollectorFeatures.h"

#include "catalog/CatalogState.h"
#include "catalog/SqliteConnection.h"
#include "collection/CoverCheck.h"
#include "collection/CoversCommands.h"
#include "collection/CoversPane.h"
#include "collection/GrabbedCover.h"
#include "collection/TapePanel.h"
#include "collection/TapeRoomCommand.h"
#include "editing/MediaTab.h"
#include "editing/RecordDisplay.h"
#include "editing/RecordForm.h"
#include "editing/UserPrompts.h"
#include "search/RecordListCommands.h"
#include "search/RecordListModel.h"

#include "editing/CoverField.h"
#include "editing/PersonalFields.h"
#include "editing/TapeFields.h"
#include <QDir>

#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QTabWidget>

namespace quelto::collection {

CollectorFeatures::CollectorFeatures(const editing::WindowParts& parts, QTabWidget& tabs,
                                     weblookup::LookupTab& lookup, DamageFound damageFound, QObject* parent)
    : QObject(parent), m_window(parts), m_damageFound(std::move(damageFound)),
      m_personal(std::make_unique<editing::PersonalFields>(parts.form)),
      m_tape(std::make_unique<editing::TapeFields>(parts.form, parts.state))
{
    editing::RecordForm& form = parts.form;
    editing::RecordDisplay& display = parts.display;
    display.addSection(m_personal.get());
    display.addSection(m_tape.get());
    m_cover = new editing::CoverField(form, parts.state, parts.prompts, &parts.window);
    display.addSection(m_cover);

    // The speeds offered follow the medium's system.
    connect(form.mediatype, &QComboBox::currentTextChanged, this,
            [this](const QString& type) { m_personal->offerSpeedsFor(type); });
    // A new record typed onto a tape that has a length shows it.
    connect(form.catalog, &QLineEdit::textEdited, this, [this](const QString& mediaId) {
        if (m_window.state.newRecordMode)
            m_tape->mediaIdTyped(mediaId);
    });

    m_tapePanel = new TapePanel(form, parts.state, *m_tape);
    // Beside the Media tab's fields (the tab's page may wrap it to scroll).
    if (auto* media = tabs.widget(0)->findChild<editing::MediaTab*>())
        media->setTapePanel(m_tapePanel);
    else if (auto* page = qobject_cast<editing::MediaTab*>(tabs.widget(0)))
        page->setTapePanel(m_tapePanel);
    display.addShownListener([this] { m_tapePanel->refreshSoon(); });

    m_coversPane = new CoversPane(&tabs);
    tabs.addTab(m_coversPane, QStringLiteral("Covers"));
    m_covers = new CoversCommands(parts.state, tabs, *m_coversPane, this);
    display.addShownListener([this] { m_covers->follow(); });
    connect(m_cover, &editing::CoverField::coverWritten, m_covers, &CoversCommands::coverChanged);
    m_tapeRoom = new TapeRoomCommand(parts, this);
    m_grabbedCover = new GrabbedCover(parts, lookup, *m_cover, this);
    display.addShownListener([this] {
        const catalog::CatalogState& state = m_window.state;
        if (state.database && (!m_coverCheck || m_coverCheck->path() != state.database->path())) {
            checkCoversOf(state.database->path());
            m_covers->ensureThumbnails(); // for the List's cover column as well
        }
    });
}

void CollectorFeatures::checkCoversOf(const QString& path)
{
    m_coverCheck = std::make_unique<collection::CoverCheck>(path);
    connect(m_coverCheck.get(), &collection::CoverCheck::finished, this,
            [this, path](const QString& problems) {
                if (!problems.isEmpty() && m_damageFound)
                    m_damageFound(path, problems);
            });
}

void CollectorFeatures::setRecordList(search::RecordListCommands& list)
{
    m_covers->setRecordList(&list);
}

CollectorFeatures::~CollectorFeatures() = default;

} // namespace quelto::collection
