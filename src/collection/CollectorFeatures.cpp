#include "collection/CollectorFeatures.h"

#include "collection/CoversCommands.h"
#include "collection/CoversPane.h"
#include "collection/GrabbedCover.h"
#include "app/MainWindow.h"
#include "editing/MediaTab.h"
#include "app/CatalogSafety.h"
#include "collection/TapePanel.h"
#include "collection/TapeRoomCommand.h"
#include "catalog/CatalogState.h"
#include "catalog/SqliteConnection.h"
#include "collection/CoverCheck.h"
#include "editing/UserPrompts.h"
#include "search/RecordListCommands.h"
#include "search/RecordListModel.h"

#include <QDir>
#include "editing/CoverField.h"
#include "editing/PersonalFields.h"
#include "editing/TapeFields.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

namespace quelto::collection {

CollectorFeatures::CollectorFeatures(MainWindow& window)
    : QObject(&window),
      m_window(window),
      m_personal(std::make_unique<editing::PersonalFields>(window.form())),
      m_tape(std::make_unique<editing::TapeFields>(window.form(), window.state()))
{
    editing::RecordForm& form = window.form();
    editing::RecordDisplay& display = window.display();
    display.addSection(m_personal.get());
    display.addSection(m_tape.get());
    m_cover = new editing::CoverField(form, window.state(), window.prompts(), &window);
    display.addSection(m_cover);

    // The speeds offered follow the medium's system.
    connect(form.mediatype, &QComboBox::currentTextChanged, this,
            [this](const QString& type) { m_personal->offerSpeedsFor(type); });
    // A new record typed onto a tape that has a length shows it.
    connect(form.catalog, &QLineEdit::textEdited, this, [this](const QString& mediaId) {
        if (m_window.state().newRecordMode)
            m_tape->mediaIdTyped(mediaId);
    });

    m_tapePanel = new TapePanel(form, window.state(), *m_tape);
    // Beside the Media tab's fields (the tab's page may wrap it to scroll).
    if (auto* media = window.tabs()->widget(0)->findChild<MediaTab*>())
        media->setTapePanel(m_tapePanel);
    else if (auto* page = qobject_cast<MediaTab*>(window.tabs()->widget(0)))
        page->setTapePanel(m_tapePanel);
    display.addShownListener([this] { m_tapePanel->refreshSoon(); });

    m_coversPane = new CoversPane(window.tabs());
    window.tabs()->addTab(m_coversPane, QStringLiteral("Covers"));
    m_covers = new CoversCommands(window, *m_coversPane);
    display.addShownListener([this] { m_covers->follow(); });
    connect(m_cover, &editing::CoverField::coverWritten, m_covers, &CoversCommands::coverChanged);
    m_tapeRoom = new TapeRoomCommand(window);
    m_grabbedCover = new GrabbedCover(window);
    display.addShownListener([this] {
        const catalog::CatalogState& state = m_window.state();
        if (state.database && (!m_coverCheck || m_coverCheck->path() != state.database->path())) {
            checkCoversOf(state.database->path());
            m_covers->ensureThumbnails(); // for the List's cover column as well
        }
    });
}

void CollectorFeatures::checkCoversOf(const QString& path)
{
    m_coverCheck = std::make_unique<collection::CoverCheck>(path);
    connect(m_coverCheck.get(), &collection::CoverCheck::finished, this, [this, path](const QString& problems) {
        catalog::CatalogState& state = m_window.state();
        if (problems.isEmpty() || !state.database || state.database->path() != path)
            return;
        catalog::SqliteConnection& connection = *state.database->connection();
        if (connection.writesRefused())
            return;
        const QString file = QDir::toNativeSeparators(path);
        if (!m_window.prompts().confirm(CatalogSafety::Damaged.arg(file, problems))) {
            connection.refuseWrites(catalog::EngineError(
                catalog::EngineError::Kind::Damaged,
                QStringLiteral("The catalogue \"%1\" is damaged; Quelto changes nothing in it:\n%2").arg(file, problems)));
        }
    });
}

CollectorFeatures::~CollectorFeatures() = default;

} // namespace quelto::collection
