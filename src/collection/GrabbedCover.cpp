#include "collection/GrabbedCover.h"

#include "catalog/CatalogState.h"
#include "catalog/RecordSet.h"
#include "collection/CoverDownload.h"
#include "editing/CoverField.h"
#include "editing/RecordDisplay.h"
#include "editing/RecordForm.h"
#include "weblookup/BrowserCookieJar.h"
#include "weblookup/GrabResult.h"
#include "weblookup/LookupTab.h"
#include "weblookup/LookupWorkflow.h"
#include "weblookup/LocalNetworkCheck.h"

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QNetworkAccessManager>
#include <QStatusBar>
#include <QWebEngineProfile>

namespace quelto::collection {
namespace {

QLabel* noticeOf(QMainWindow& window)
{
    auto* label = window.statusBar()->findChild<QLabel*>(QStringLiteral("coverNotice"));
    if (!label) {
        label = new QLabel(window.statusBar());
        label->setObjectName(QStringLiteral("coverNotice"));
        label->setAccessibleName(QStringLiteral("Cover"));
        window.statusBar()->addWidget(label, 1);
    }
    return label;
}

// The shown record's key; -1 for a new record or none shown.
qint64 shownRecord(const catalog::CatalogState& state)
{
    if (state.newRecordMode || !state.current || state.current->absolutePosition() < 0)
        return -1;
    return state.current->bookmark();
}

} // namespace

GrabbedCover::GrabbedCover(const editing::WindowParts& parts, weblookup::LookupTab& lookup,
                           editing::CoverField& cover, QObject* parent)
    : QObject(parent), m_window(parts), m_cover(cover)
{
    m_network = new QNetworkAccessManager(this);
    if (QWebEngineProfile* profile = lookup.profile())
        m_network->setCookieJar(new weblookup::BrowserCookieJar(profile->cookieStore(), m_network));
    // Posters usually sit on another host than the page (a picture server),
    // so only the way from the open network into the local one is closed.
    m_download = new collection::CoverDownload(*m_network, &weblookup::LocalNetworkCheck::mayFetch, this);
    connect(m_download, &collection::CoverDownload::finished, this, &GrabbedCover::fetched);
    connect(m_download, &collection::CoverDownload::failed, this, &GrabbedCover::refused);
    connect(&lookup.workflow(), &weblookup::LookupWorkflow::grabFinished, this, &GrabbedCover::take);
}

GrabbedCover::~GrabbedCover() = default;

void GrabbedCover::take(const weblookup::GrabResult& result)
{
    editing::RecordForm& form = m_window.form;
    if (!result.fields.runningTime.isEmpty() && form.runningTime)
        form.runningTime->setText(result.fields.runningTime);
    m_download->cancel();
    if (result.fields.cover.isEmpty()) {
        tell(QString());
        return;
    }
    const catalog::CatalogState& state = m_window.state;
    m_forNewRecord = state.newRecordMode;
    m_forRecord = shownRecord(state);
    tell(QStringLiteral("Fetching the cover..."));
    m_download->start(QUrl(result.fields.cover), result.titlePage);
}

void GrabbedCover::fetched(const collection::CoverPicture& picture)
{
    const catalog::CatalogState& state = m_window.state;
    const qint64 record = shownRecord(state);
    if (state.newRecordMode != m_forNewRecord || record != m_forRecord) {
        tell(QStringLiteral("The cover arrived after another record came up; it was not taken."));
        emit settled(false, noticeOf(m_window.window)->text());
        return;
    }
    if (!m_cover.take(picture)) {
        tell(QStringLiteral("The cover was not taken: the catalogue cannot be changed."));
        emit settled(false, noticeOf(m_window.window)->text());
        return;
    }
    tell(QStringLiteral("Cover taken from the page (%1 x %2 px); Save stores it.")
             .arg(picture.size().width())
             .arg(picture.size().height()));
    emit settled(true, noticeOf(m_window.window)->text());
}

void GrabbedCover::refused(const QString& problem)
{
    tell(problem);
    emit settled(false, problem);
}

void GrabbedCover::tell(const QString& message)
{
    QLabel* label = noticeOf(m_window.window);
    label->setText(message);
    label->setToolTip(message);
}

} // namespace quelto::collection
