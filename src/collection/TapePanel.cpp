#include "collection/TapePanel.h"

#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "collection/PersonalFormat.h"
#include "collection/TapeContents.h"
#include "collection/TapeSpace.h"
#include "editing/RecordForm.h"
#include "editing/TapeFields.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>

namespace quelto::collection {

using collection::TapeSpace;

TapePanel::TapePanel(editing::RecordForm& form, catalog::CatalogState& state, const editing::TapeFields& tape,
                     QWidget* parent)
    : QGroupBox(QStringLiteral("On this tape"), parent), m_form(form), m_state(state), m_tape(tape)
{
    setObjectName(QStringLiteral("tapePanel"));
    m_movies = new QTreeWidget(this);
    m_movies->setObjectName(QStringLiteral("tapeMovies"));
    m_movies->setAccessibleName(QStringLiteral("Movies on this tape"));
    m_movies->setRootIsDecorated(false);
    m_movies->setUniformRowHeights(true);
    m_movies->setSelectionMode(QAbstractItemView::NoSelection);
    m_movies->setFocusPolicy(Qt::NoFocus);
    m_movies->setHeaderLabels({QStringLiteral("#"), QStringLiteral("Title"), QStringLiteral("Time"),
                               QStringLiteral("Speed")});
    m_movies->header()->setStretchLastSection(false);
    m_movies->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_movies->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_movies->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    m_movies->header()->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("tapeFree"));
    m_summary->setWordWrap(true);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_movies, 1);
    layout->addWidget(m_summary);

    m_delay = new QTimer(this);
    m_delay->setSingleShot(true);
    m_delay->setInterval(150);
    connect(m_delay, &QTimer::timeout, this, &TapePanel::refresh);
    for (QLineEdit* edit : {form.catalog, form.title, form.runningTime})
        connect(edit, &QLineEdit::textChanged, this, &TapePanel::refreshSoon);
    for (QComboBox* box : {form.tapeLength, form.speed, form.mediatype})
        connect(box, &QComboBox::currentTextChanged, this, &TapePanel::refreshSoon);
}

void TapePanel::refreshSoon()
{
    m_stale = true;
    if (isVisible())
        m_delay->start();
}

void TapePanel::showEvent(QShowEvent* event)
{
    QGroupBox::showEvent(event);
    if (m_stale)
        refresh();
}

void TapePanel::refresh()
{
    m_delay->stop();
    m_stale = false;
    m_movies->clear();
    const QString mediaId = m_form.catalog->text();
    if (!m_state.database || mediaId.isEmpty()) {
        m_summary->setText(QStringLiteral("No media ID."));
        return;
    }
    std::vector<collection::TapeContents::Entry> entries;
    try {
        entries = collection::TapeContents::read(*m_state.database->connection(), mediaId);
    } catch (const catalog::EngineError& error) {
        m_summary->setText(error.message());
        return;
    }
    // The shown record counts as its fields stand.
    const catalog::RecordSet* set = m_state.current.get();
    const qint64 shownRow = !m_state.newRecordMode && set && set->hasCurrentRow() ? set->bookmark() : 0;
    TapeSpace::Movie shown;
    shown.title = m_form.title->text();
    const auto time = collection::PersonalFormat::parseRunningTime(m_form.runningTime->text());
    if (time.ok() && time.value.isValid())
        shown.runningTime = int(time.value.toLongLong());
    shown.speed = m_form.speed->currentText();
    int shownIndex = -1;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].rowid == shownRow) {
            entries[i].movie = shown;
            shownIndex = int(i);
        }
    }
    if (shownIndex < 0) {
        entries.push_back({0, shown});
        shownIndex = int(entries.size()) - 1;
    }

    const QLocale locale;
    int withoutTime = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const TapeSpace::Movie& movie = entries[i].movie;
        auto* item = new QTreeWidgetItem(m_movies);
        item->setText(0, locale.toString(int(i) + 1));
        item->setText(1, movie.title);
        item->setText(2, movie.runningTime ? QStringLiteral("%1 min").arg(locale.toString(*movie.runningTime))
                                           : QStringLiteral("?"));
        item->setText(3, movie.speed.isEmpty() ? QString() : movie.speed);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        if (int(i) == shownIndex) {
            QFont bold = item->font(1);
            bold.setBold(true);
            for (int c = 0; c < 4; ++c)
                item->setFont(c, bold);
        }
        if (!movie.runningTime)
            ++withoutTime;
    }

    const double used = TapeSpace::used(collection::TapeContents::movies(entries));
    const QStringList speeds = TapeSpace::speedsFor(m_form.mediatype->currentText());
    QStringList lines;
    const int usedMinutes = int(std::ceil(used - 1e-9));
    const std::optional<int> length = m_tape.length();
    if (length && withoutTime > 0) {
        // What the untimed movies take is unknown: nothing is said to be free.
        lines << QStringLiteral("Used: at least %1 of %2 min").arg(locale.toString(usedMinutes), locale.toString(*length));
        lines << QStringLiteral("<b>Free: unknown, not free</b>");
    } else if (length) {
        lines << QStringLiteral("Used: %1 of %2 min").arg(locale.toString(usedMinutes), locale.toString(*length));
        lines << QStringLiteral("<b>%1</b>").arg(TapeSpace::freeText(*length, used, speeds).toHtmlEscaped());
    } else {
        lines << QStringLiteral("Used: %1 min").arg(locale.toString(usedMinutes));
        lines << QStringLiteral("Choose the tape's length to see what is free.");
    }
    if (withoutTime > 0) {
        QStringList untimed;
        for (const collection::TapeContents::Entry& entry : entries) {
            if (!entry.movie.runningTime)
                untimed << QStringLiteral("\"%1\"").arg(entry.movie.title.trimmed());
        }
        lines << (withoutTime == 1 ? QStringLiteral("%1 has no running time: type it on the Personal tab.")
                                   : QStringLiteral("%1 have no running time: type it on the Personal tab."))
                     .arg(untimed.join(QStringLiteral(", ")).toHtmlEscaped());
    }
    m_summary->setText(lines.join(QStringLiteral("<br>")));
}

} // namespace quelto::collection
