#include "weblookup/CommandLineLookup.h"

#include "weblookup/ArchiveValues.h"
#include "weblookup/FieldExtraction.h"
#include "weblookup/BrowserCookieJar.h"
#include "weblookup/FurtherPages.h"
#include "weblookup/GuardedPage.h"
#include "weblookup/HtmlSnapshotReader.h"
#include "weblookup/LookupNetwork.h"
#include "weblookup/PageFetcher.h"
#include "weblookup/MovieSite.h"
#include "weblookup/PageGuard.h"
#include "weblookup/PageLoader.h"
#include "weblookup/PageReader.h"
#include "weblookup/SiteBoundary.h"
#include "weblookup/StructuredGrab.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <cstdio>
#include <unistd.h>

namespace quelto::weblookup {
namespace {

const QString TitlePage = QStringLiteral("title");
const QString CreditsPage = QStringLiteral("credits");
const QString CompaniesPage = QStringLiteral("companies");

// Where the classic steps found each field that holds a value; the cast
// slots share the key "mv_cast", as with the other profiles.
QHash<QString, QString> classicSources(const LookupFields& fields)
{
    const QHash<QString, QString> from = {
        {QStringLiteral("title"), QStringLiteral("document title (title page)")},
        {QStringLiteral("mv_year"), QStringLiteral("document title (title page)")},
        {QStringLiteral("mv_director"), QStringLiteral("marker Directed by (title page)")},
        {QStringLiteral("mv_genre"), QStringLiteral("marker Genre (title page)")},
        {QStringLiteral("mv_country"), QStringLiteral("marker Country (title page)")},
        {QStringLiteral("mv_language"), QStringLiteral("marker Language (title page)")},
        {QStringLiteral("mv_color"), QStringLiteral("marker Color (title page)")},
        {QStringLiteral("mv_sound"), QStringLiteral("marker Sound Mix (title page)")},
        {QStringLiteral("mv_rating"), QStringLiteral("marker Rating: (title page)")},
        {QStringLiteral("mv_book"), QStringLiteral("marker Written by (credits page)")},
        {QStringLiteral("mv_music"), QStringLiteral("marker usic by (credits page)")},
        {QStringLiteral("mv_producer"), QStringLiteral("marker Companies (companies page)")},
    };
    QHash<QString, QString> sources;
    for (const auto& [column, value] : archiveValues(fields)) {
        if (value.trimmed().isEmpty() || (column == u"mv_rating" && value == u"No rating"))
            continue;
        if (column.startsWith(QLatin1String("mv_cast")))
            sources.insert(QStringLiteral("mv_cast"), QStringLiteral("list under Cast (credits page)"));
        else
            sources.insert(column, from.value(column));
    }
    return sources;
}

} // namespace

CommandLineLookup::CommandLineLookup(std::chrono::milliseconds pageTimeout, QObject* parent, QWebEngineProfile* profile)
    : QObject(parent), m_page(profile ? new GuardedPage(profile, this) : new GuardedPage(this)), m_guard(static_cast<GuardedPage*>(m_page)->guard()),
      m_loader(new PageLoader(m_page, this)),
      m_fetcher(new PageFetcher(*LookupNetwork::create(this), this)),
      m_further(new FurtherPages(*m_fetcher,
                                 std::make_shared<HtmlSnapshotReader>(m_profiles.labels(), m_profiles.sourceLabels()),
                                 this))
{
    m_fetcher->setTimeout(pageTimeout);
    if (profile) {
        QNetworkAccessManager& network = m_fetcher->network();
        network.setCookieJar(new BrowserCookieJar(profile->cookieStore(), &network));
    }
    m_fetcher->setHeaders(m_page->profile()->httpUserAgent().toUtf8(), m_page->profile()->httpAcceptLanguage().toUtf8());
    connect(m_further, &FurtherPages::pageReady, this, &CommandLineLookup::furtherPageReady);
    connect(m_further, &FurtherPages::finished, this, [this] {
        m_furtherOver = true;
        readQueue();
    });
    m_page->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    m_page->settings()->setAttribute(QWebEngineSettings::AutoLoadImages, false);
    m_loader->setTimeout(pageTimeout);
    connect(m_loader, &PageLoader::completed, this, &CommandLineLookup::pageCompleted);
    connect(m_loader, &PageLoader::failed, this, &CommandLineLookup::pageFailed);
}

CommandLineLookup::~CommandLineLookup() = default;

CommandLineLookup::Result CommandLineLookup::run(const QUrl& titlePage, const QString& profileName)
{
    m_result = {};
    m_result.profileErrors = m_profiles.errors();
    m_grab.reset();
    m_extras.reset();
    m_over = false;
    m_forced = profileName.isEmpty() ? nullptr : m_profiles.find(profileName);
    if (!profileName.isEmpty() && !m_forced) {
        m_result.error = QStringLiteral("There is no site profile \"%1\" (known: %2).")
                             .arg(profileName, m_profiles.names().join(QStringLiteral(", ")));
        return m_result;
    }
    if (!titlePage.isValid() || titlePage.host().isEmpty() || !isWebAddress(titlePage)) {
        m_result.error = QStringLiteral("\"%1\" is not the address of a web page: --lookup takes http and https "
                                        "addresses only.")
                             .arg(titlePage.toString());
        return m_result;
    }
    QEventLoop loop;
    m_loop = &loop;
    m_requested = titlePage;
    m_guard->setSite(titlePage);
    load(titlePage, TitlePage);
    if (!m_over)
        loop.exec();
    m_loop = nullptr;
    m_loader->stop();
    return m_result;
}

void CommandLineLookup::load(const QUrl& url, const QString& pageName)
{
    m_pageName = pageName;
    m_loader->load(url);
}

void CommandLineLookup::pageFailed(const QString& failure)
{
    const QString blocked = m_guard->blockedReason();
    const QString reason = blocked.isEmpty() ? failure : blocked;
    m_guard->clearBlocked();
    if (m_pageName == TitlePage) {
        m_result.error = QStringLiteral("Cannot read %1: title page %2.").arg(m_loader->url().toDisplayString(), reason);
        if (!blocked.isEmpty())
            m_result.error += QStringLiteral(" Quelto reads a movie's page only on the site it was asked of.");
        finish();
        return;
    }
    m_result.failedPages.append({m_pageName, m_loader->url(), reason});
    nextSecondaryPage();
}

void CommandLineLookup::pageCompleted()
{
    QPointer<CommandLineLookup> self(this);
    if (m_pageName == TitlePage && !SiteBoundary::sameSite(m_requested, m_page->url())) {
        // Sent on by the page itself (a script, a refresh), not by the server.
        m_result.error = QStringLiteral("Cannot read %1: the page went on to %2, another site, and was not read. "
                                        "Quelto reads a movie's page only on the site it was asked of.")
                             .arg(m_requested.toDisplayString(), SiteBoundary::shown(m_page->url()));
        finish();
        return;
    }
    if (m_pageName == CreditsPage && !m_grab) {
        classicCredits();
        return;
    }
    PageReader::readSnapshot(m_page, m_profiles.snapshotScript(), [self](const std::optional<PageSnapshot>& page) {
        if (!self || self->m_over)
            return;
        const bool readable = page && page->hasBody;
        if (self->m_pageName == TitlePage) {
            if (readable)
                self->titlePageRead(*page);
            else {
                self->m_result.error = QStringLiteral("%1 is not a web page: its document has no body.")
                                           .arg(self->m_loader->url().toDisplayString());
                self->finish();
            }
            return;
        }
        if (!readable)
            self->m_result.failedPages.append({self->m_pageName, self->m_loader->url(), QStringLiteral("is not a web page")});
        if (!self->m_grab) { // the classic companies page
            if (readable)
                grabit_pt3(self->m_result.fields, page->bodyText);
            self->nextSecondaryPage();
            return;
        }
        if (readable)
            self->m_grab->readSecondaryPage(self->m_current, *page);
        self->nextSecondaryPage();
    });
}

void CommandLineLookup::titlePageRead(const PageSnapshot& page)
{
    m_result.titleRead = true;
    m_result.billedCast = page.castRoles;
    m_titlePage = page;
    m_profile = m_forced ? m_forced : &m_profiles.recognise(page, m_movieSite);
    m_result.profile = m_profile->name();
    m_guard->setSite(page.address);
    m_fetcher->setSite(page.address);
    if (m_profile->kind() == SiteProfile::Kind::Classic) {
        extractTitlePage(m_result.fields, page.title, page.bodyText);
        readClassicExtras(page);
        // The title goes only to the title page's own server.
        const MovieSite site(page.address);
        askFurtherPages({{SecondaryPage{CreditsPage}, site.credits(m_result.fields.title)},
                         {SecondaryPage{CompaniesPage}, site.companies(m_result.fields.title)}});
        return;
    }
    m_grab = std::make_unique<StructuredGrab>(*m_profile, m_profiles.labels());
    m_grab->readTitlePage(page);
    QList<QPair<SecondaryPage, QUrl>> pages;
    for (const SecondaryPage& secondary : m_profile->secondaryPages()) {
        const QUrl url = m_profile->secondaryPageAddress(secondary, m_titlePage, m_grab->title());
        if (!url.isEmpty())
            pages.append({secondary, url});
    }
    askFurtherPages(pages);
}

void CommandLineLookup::askFurtherPages(const QList<QPair<SecondaryPage, QUrl>>& pages)
{
    m_asked.clear();
    m_queue.clear();
    m_inBrowser = false;
    m_furtherOver = pages.isEmpty();
    QList<FurtherPages::Request> requests;
    for (const auto& [secondary, url] : pages) {
        m_asked.append(secondary);
        requests.append({secondary.name, url});
    }
    if (pages.isEmpty())
        finish();
    else
        m_further->start(requests);
}

void CommandLineLookup::furtherPageReady(const FurtherPage& page)
{
    m_queue.append(page);
    readQueue();
}

void CommandLineLookup::readQueue()
{
    while (!m_inBrowser && !m_over && !m_queue.isEmpty()) {
        const FurtherPage page = m_queue.takeFirst();
        m_current = m_asked.value(page.index);
        m_pageName = page.name;
        // The classic steps read the text alone: a page is read as it came
        // when it holds its step's marker, else the browser builds it.
        bool inBrowser = m_grab ? page.outcome == FurtherPage::Outcome::NeedsBrowser
                                : page.outcome != FurtherPage::Outcome::Failed &&
                                      !(page.snapshot.hasBody && classicPageComplete(page.name, page.snapshot.bodyText));
        if (page.outcome == FurtherPage::Outcome::Failed) {
            m_result.failedPages.append({page.name, page.address, page.failure});
        } else if (!inBrowser && m_grab) {
            m_grab->readSecondaryPage(m_current, page.snapshot);
        } else if (!inBrowser && page.name == CreditsPage) {
            grabit_pt2(m_result.fields, [&page]() -> std::optional<QString> { return page.snapshot.bodyText; });
            keepClassicCast(page.snapshot.bodyText);
        } else if (!inBrowser) {
            grabit_pt3(m_result.fields, page.snapshot.bodyText);
        }
        if (inBrowser) {
            m_inBrowser = true;
            load(page.address, page.name);
            return;
        }
    }
    if (!m_inBrowser && m_furtherOver && m_queue.isEmpty())
        finish();
}

void CommandLineLookup::readClassicExtras(const PageSnapshot& page)
{
    m_extras = std::make_unique<StructuredGrab>(*m_profile, m_profiles.labels());
    m_extras->readTitlePage(page);
    m_result.fields.runningTime = m_extras->fields().runningTime;
    m_result.fields.cover = m_extras->fields().cover;
}

void CommandLineLookup::classicCredits()
{
    QPointer<CommandLineLookup> self(this);
    PageReader::readCredits(m_page, creditsReadAttempts, [self](const QString& text) {
        if (!self || self->m_over)
            return;
        grabit_pt2(self->m_result.fields, [&text]() -> std::optional<QString> { return text; });
        self->keepClassicCast(text);
        self->nextSecondaryPage();
    });
}

void CommandLineLookup::keepClassicCast(const QString& creditsText)
{
    // The credits page bills the cast with its characters where the title page does not.
    if (m_result.billedCast.isEmpty())
        m_result.billedCast = classicCastRoles(creditsText);
}

void CommandLineLookup::nextSecondaryPage()
{
    // The page in the browser is over; the others read on.
    m_inBrowser = false;
    readQueue();
}

void CommandLineLookup::finish()
{
    if (m_over)
        return;
    m_over = true;
    m_further->cancel();
    if (m_grab) {
        m_result.fields = m_grab->fields();
        m_result.sources = m_grab->sources();
        m_result.refusals = m_grab->refusals();
    } else if (m_result.titleRead) {
        m_result.sources = classicSources(m_result.fields);
        if (m_extras) {
            for (const QString& extra : {QStringLiteral("quelto_running_time"), QStringLiteral("cover")}) {
                if (m_extras->sources().contains(extra))
                    m_result.sources.insert(extra, m_extras->sources().value(extra));
            }
            m_result.refusals = m_extras->refusals();
        }
    }
    if (m_loop)
        m_loop->quit();
}

QByteArray CommandLineLookup::toJson(const Result& result)
{
    QJsonObject object;
    for (const auto& [column, value] : archiveValues(result.fields))
        object.insert(column, value);
    object.insert(QStringLiteral("quelto_running_time"), result.fields.runningTime);
    object.insert(QStringLiteral("cover"), result.fields.cover);
    QJsonArray billed; // [person, character] as the title page bills them
    for (const auto& [person, character] : result.billedCast)
        billed.append(QJsonArray{person, character});
    object.insert(QStringLiteral("quelto_cast_roles"), billed);

    QJsonObject sources;
    for (auto it = result.sources.cbegin(); it != result.sources.cend(); ++it)
        sources.insert(it.key(), it.value());
    QJsonArray failed;
    for (const FailedPage& page : result.failedPages) {
        failed.append(QJsonObject{{QStringLiteral("page"), page.page},
                                  {QStringLiteral("address"), page.address.toString(QUrl::FullyEncoded)},
                                  {QStringLiteral("reason"), page.reason}});
    }
    object.insert(QStringLiteral("lookup"),
                  QJsonObject{{QStringLiteral("profile"), result.profile},
                              {QStringLiteral("sources"), sources},
                              {QStringLiteral("refused"), QJsonArray::fromStringList(result.refusals)},
                              {QStringLiteral("failedPages"), failed},
                              {QStringLiteral("profileErrors"), QJsonArray::fromStringList(result.profileErrors)}});
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

void CommandLineLookup::prepareHeadlessEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    for (const char* flag : {"--disable-gpu", "--disable-background-networking"}) {
        if (!flags.contains(flag))
            flags += (flags.isEmpty() ? "" : " ") + QByteArray(flag);
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    // The engine's start-up report and the pages' console would only clutter
    // the error output.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "qt.webenginecontext.info=false;js=false");
}

bool CommandLineLookup::isWebAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

int CommandLineLookup::main(const QString& url, const QString& profileName, const QUrl& movieSite)
{
    if (!profileName.isEmpty()) {
        const SiteProfileRegistry profiles;
        if (!profiles.find(profileName)) {
            for (const QString& error : profiles.errors())
                std::fprintf(stderr, "quelto: site profile left out: %s\n", qPrintable(error));
            std::fprintf(stderr, "quelto: there is no site profile \"%s\" (known: %s).\n", qPrintable(profileName),
                         qPrintable(profiles.names().join(QStringLiteral(", "))));
            return 2;
        }
    }
    CommandLineLookup lookup;
    lookup.setMovieSite(movieSite);
    for (const QString& error : lookup.profiles().errors())
        std::fprintf(stderr, "quelto: site profile left out: %s\n", qPrintable(error));
    const Result result = lookup.run(QUrl(url, QUrl::TolerantMode), profileName);
    if (!result.titleRead) {
        std::fprintf(stderr, "quelto: %s\n", qPrintable(result.error));
        return 1;
    }
    for (const FailedPage& page : result.failedPages)
        std::fprintf(stderr, "quelto: %s page %s\n", qPrintable(page.page), qPrintable(page.reason));
    const QByteArray json = toJson(result);
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    std::fflush(stdout);
    return 0;
}

} // namespace quelto::weblookup
