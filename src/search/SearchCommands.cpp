#include "search/SearchCommands.h"

#include "catalog/BackgroundQuery.h"
#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/ValueList.h"
#include "editing/OptionEntries.h"
#include "editing/RecordDisplay.h"
#include "editing/RecordForm.h"
#include "editing/StatusShape.h"
#include "editing/UserPrompts.h"
#include "search/GenreSearchDialog.h"
#include "search/SearchQuery.h"
#include "search/SortOrder.h"
#include "search/SubstringSearchDialog.h"
#include "tasks/CommandRunner.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace quelto::search {

using catalog::EngineError;

const std::vector<SearchCommands::SubstringSearch>& SearchCommands::substringSearches()
{
    static const std::vector<SubstringSearch> searches = {
        {QStringLiteral("mnSrchTitle"), QStringLiteral("Search movie by title"), QStringLiteral("title"),
         QStringLiteral("Title: ")},
        {QStringLiteral("mnSrchDir"), QStringLiteral("Search movie by director"), QStringLiteral("mv_director"),
         QStringLiteral("Director: ")},
        {QStringLiteral("mnSrchActor"), QStringLiteral("Search movie by cast"), SearchQuery::CastColumn,
         QStringLiteral("Cast: ")},
        {QStringLiteral("mnSrchMedia"), QStringLiteral("Search records by media-id"), QStringLiteral("catalog"),
         QStringLiteral("Media: ")},
    };
    return searches;
}

SearchCommands::SearchCommands(catalog::CatalogState& state, editing::RecordDisplay& display,
                               editing::UserPrompts& prompts, tasks::CommandRunner& runner, QWidget* window)
    : QObject(window),
      m_state(state),
      m_display(display),
      m_prompts(prompts),
      m_runner(runner),
      m_window(window),
      m_substringDialog(std::make_unique<SubstringSearchDialog>(window)),
      m_genreDialog(std::make_unique<GenreSearchDialog>(window))
{
    connect(m_substringDialog->cmdSearch(), &QPushButton::clicked, this,
            [this] { guarded([this] { runSubstringSearch(); }); });
    connect(m_substringDialog->cmdCancel(), &QPushButton::clicked, this, &SearchCommands::cancelSubstringSearch);
    connect(m_genreDialog->searchButton(), &QPushButton::clicked, this,
            [this] { guarded([this] { runGenreSearch(); }); });
    connect(m_genreDialog->cancelButton(), &QPushButton::clicked, m_genreDialog.get(), &QDialog::hide);
}

SearchCommands::~SearchCommands() = default;

QAction* SearchCommands::action(const QString& name) const
{
    return m_window ? m_window->findChild<QAction*>(name) : nullptr;
}

void SearchCommands::connectCommands()
{
    for (const SortOrder& order : SortOrder::all()) {
        if (QAction* item = action(order.actionName)) {
            item->setCheckable(true);
            connect(item, &QAction::triggered, this, [this, &order] { guarded([&] { sortBy(order); }); });
        }
    }
    for (const SubstringSearch& search : substringSearches()) {
        if (QAction* item = action(search.actionName))
            connect(item, &QAction::triggered, this,
                    [this, &search] { guarded([&] { searchSubstring(search); }); });
    }
    if (QAction* item = action(QStringLiteral("mnSrchGenre")))
        connect(item, &QAction::triggered, this, [this] { guarded([this] { searchGenre(); }); });
    showSortChecks();
    if (QPushButton* button = m_display.form().dbNoFilter) {
        button->setToolTip(QStringLiteral("Switch off filter"));
        connect(button, &QPushButton::clicked, this, [this] { guarded([this] { showAllData(); }); });
    }
}

void SearchCommands::guarded(const std::function<void()>& command)
{
    // An engine error has no rule of its own here: tell the user, keep running.
    try {
        command();
    } catch (const EngineError& error) {
        m_prompts.exclamation(error.message());
    }
}

bool SearchCommands::refuseInNewRecordMode()
{
    // A new record has only the window's fields: showing another record now
    // would put that record's values into the new one.
    if (!m_state.newRecordMode)
        return false;
    m_prompts.exclamation(FinishNewRecord);
    return true;
}

void SearchCommands::openInBackground(const QString& what, const QString& sql,
                                      std::function<void(std::unique_ptr<catalog::RecordSet>)> then,
                                      std::function<void()> cancelled)
{
    catalog::Database& db = *m_state.database;
    const QString path = db.path();
    const QString translated = db.translate(sql);
    const catalog::Database* asked = &db;
    m_runner.run<std::vector<qint64>>(
        what,
        [path, translated](tasks::TaskControl& control) {
            return catalog::BackgroundQuery::keys(path, translated, control);
        },
        [this, sql, asked, then = std::move(then)](std::vector<qint64>& keys) {
            if (m_state.database.get() != asked)
                return; // another catalogue was opened meanwhile
            guarded([&] { then(m_state.database->openRecordSet(sql, std::move(keys))); });
        },
        [this](const QString& failure) { m_prompts.exclamation(failure); }, std::move(cancelled));
}

void SearchCommands::replaceCurrent(std::unique_ptr<catalog::RecordSet> set)
{
    if (m_state.current)
        m_state.current->close();
    m_state.current = std::move(set);
}

void SearchCommands::moveToEndsIgnoringErrors()
{
    try {
        m_state.current->moveLast();
        m_state.current->moveFirst();
    } catch (const EngineError&) {
    }
}

void SearchCommands::moveFirstIgnoringErrors()
{
    try {
        m_state.current->moveFirst();
    } catch (const EngineError&) {
    }
}

void SearchCommands::leaveFilterDisplay()
{
    editing::RecordForm& form = m_display.form();
    form.dbNoFilter->setEnabled(false);
    form.dbNew->setEnabled(true);
    form.filterset->clear();
    form.filterset->setToolTip(QString());
    form.Shape1->setMode(editing::StatusShape::Mode::Browsing);
}

void SearchCommands::showSortChecks()
{
    // A checkable item toggles itself when chosen: the check always follows
    // the order in force.
    // An order reversed by a second header click is still the menu's order.
    const QString current = SortOrder::ascending(m_state.orderClause);
    for (const SortOrder& order : SortOrder::all()) {
        if (QAction* item = action(order.actionName)) {
            const bool inForce = order.clause.compare(current, Qt::CaseInsensitive) == 0;
            item->setChecked(inForce);
        }
    }
}

void SearchCommands::sortBy(const SortOrder& order)
{
    if (!m_display.settleUnsavedChanges() || refuseInNewRecordMode()) {
        showSortChecks();
        return;
    }
    const QString clause = order.clause;
    showSortChecks(); // the check moves once the rows are in the new order
    openInBackground(
        tr("Sorting %1...").arg(QString(order.caption).remove(QLatin1Char('&'))),
        SearchQuery::sortQuery(m_state.filterClause, clause),
        [this, clause](std::unique_ptr<catalog::RecordSet> set) {
            m_state.orderClause = clause;
            showSortChecks();
            replaceCurrent(std::move(set));
            m_display.recordToForm();
        },
        [this] { showSortChecks(); });
}

void SearchCommands::showAllData()
{
    if (!m_display.settleUnsavedChanges() || refuseInNewRecordMode())
        return;
    openInBackground(tr("Showing all records..."), SearchQuery::sortQuery(QString(), m_state.orderClause),
                     [this](std::unique_ptr<catalog::RecordSet> set) { showAll(std::move(set)); });
}

void SearchCommands::showAll(std::unique_ptr<catalog::RecordSet> set)
{
    m_state.filterActive = false;
    m_state.filterClause.clear();
    replaceCurrent(std::move(set));
    moveToEndsIgnoringErrors();
    m_display.recordToForm();
    leaveFilterDisplay();
}

void SearchCommands::searchSubstring(const SubstringSearch& search)
{
    if (!m_display.settleUnsavedChanges() || refuseInNewRecordMode())
        return;
    m_substringDialog->heading()->setText(search.heading);
    m_substringDialog->what()->setText(search.column);
    m_substringDialog->hidden()->setText(search.prefix);
    m_substringDialog->srchString()->setFocus();
    m_prompts.showModal(*m_substringDialog);
    if (m_state.filterActive)
        m_display.showFilterState();
}

void SearchCommands::runSubstringSearch()
{
    const QString text = m_substringDialog->srchString()->text();
    if (text.isEmpty()) {
        m_prompts.exclamation(NoSearchText);
        return;
    }
    const QString filter = SearchQuery::substringFilter(m_substringDialog->what()->text(), text);
    const QString prefix = m_substringDialog->hidden()->text();
    openInBackground(tr("Searching..."), SearchQuery::substringQuery(filter, m_state.orderClause),
                     [this, filter, prefix, text](std::unique_ptr<catalog::RecordSet> set) {
                         if (set->bof() && set->eof()) {
                             // The record set, the search and the order in force stay as
                             // they were; the dialog stays open with the text.
                             set->close();
                             m_prompts.exclamation(NoRecordsFound);
                             return;
                         }
                         replaceCurrent(std::move(set));
                         moveToEndsIgnoringErrors();
                         m_state.filterClause = filter;
                         m_state.filterDescription =
                             SearchQuery::description(prefix, text, m_state.current->recordCount());
                         m_state.filterActive = true;
                         m_substringDialog->srchString()->clear();
                         m_substringDialog->hide();
                     });
}

void SearchCommands::cancelSubstringSearch()
{
    // The description of a search still in force stays on show.
    m_substringDialog->srchString()->clear();
    m_substringDialog->hide();
}

void SearchCommands::searchGenre()
{
    if (!m_display.settleUnsavedChanges() || refuseInNewRecordMode())
        return;
    catalog::Database& db = *m_state.database;
    const QString path = db.path();
    const QString translated =
        db.translate(QStringLiteral("select mv_genre from archive group by mv_genre order by mv_genre"));
    const catalog::Database* asked = &db;
    m_runner.run<std::vector<QVariant>>(
        tr("Listing the genres..."),
        [path, translated](tasks::TaskControl& control) {
            return catalog::BackgroundQuery::values(path, translated, control);
        },
        [this, asked](std::vector<QVariant>& genres) {
            if (m_state.database.get() == asked)
                offerGenres(genres);
        },
        [this](const QString& failure) { m_prompts.exclamation(failure); });
}

void SearchCommands::offerGenres(const std::vector<QVariant>& genres)
{
    m_genreDialog->heading()->setText(QStringLiteral("Show movies by Genre"));
    m_genreDialog->heading2()->setText(QStringLiteral("Select genre and search !"));
    QComboBox* combo = m_genreDialog->combo();
    combo->clear();
    QStringList names;
    std::vector<std::string_view> entries;
    for (const QVariant& genre : genres) {
        if (genre.isNull()) // a record without a genre offers nothing to search for
            continue;
        const QString text = genre.toString();
        if (!text.contains(QLatin1String(" / "))) {
            names << text;
            continue;
        }
        // Each genre of a list is offered on its own.
        const QByteArray utf8 = text.toUtf8();
        entries.clear();
        catalog::ValueList::split({utf8.constData(), size_t(utf8.size())}, entries);
        for (const std::string_view entry : entries)
            names << QString::fromUtf8(entry.data(), qsizetype(entry.size()));
    }
    // Old rows' blanks ("Drama ", " ") make no genre of their own.
    names = editing::OptionEntries::distinctIgnoringCase(names);
    if (names.isEmpty()) {
        m_prompts.exclamation(NoDatasets);
        return;
    }
    combo->addItems(names);
    combo->setCurrentIndex(0);
    m_prompts.showModal(*m_genreDialog);
    if (m_state.filterActive)
        m_display.showFilterState();
    moveFirstIgnoringErrors();
    m_display.recordToForm();
}

void SearchCommands::runGenreSearch()
{
    const QString genre = m_genreDialog->combo()->currentText();
    const QString filter = SearchQuery::genreFilter(genre);
    openInBackground(tr("Searching..."), SearchQuery::sortQuery(filter, m_state.orderClause),
                     [this, filter, genre](std::unique_ptr<catalog::RecordSet> set) {
                         if (set->bof() && set->eof()) {
                             // Everything stays as it was; the dialog stays open.
                             set->close();
                             m_prompts.exclamation(NoRecordsFound);
                             return;
                         }
                         replaceCurrent(std::move(set));
                         m_state.filterClause = filter;
                         m_state.filterDescription = SearchQuery::description(QStringLiteral("Genre: "), genre,
                                                                              m_state.current->recordCount());
                         m_state.filterActive = true;
                         moveToEndsIgnoringErrors();
                         m_genreDialog->hide();
                     });
}

} // namespace quelto::search
