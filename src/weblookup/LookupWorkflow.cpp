#include "weblookup/LookupWorkflow.h"

#include "editing/RecordForm.h"
#include "editing/UserPrompts.h"
#include "weblookup/FieldExtraction.h"
#include "weblookup/BrowserCookieJar.h"
#include "weblookup/FormFields.h"
#include "weblookup/FurtherPages.h"
#include "weblookup/HtmlSnapshotReader.h"
#include "weblookup/LookupNetwork.h"
#include "weblookup/PageFetcher.h"
#include "weblookup/GrabReport.h"
#include "weblookup/PageGuard.h"
#include "weblookup/PageSnapshot.h"
#include "weblookup/SiteBoundary.h"
#include "weblookup/StructuredGrab.h"
#include "weblookup/TransferDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QNetworkAccessManager>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace quelto::weblookup {

LookupWorkflow::LookupWorkflow(const LookupControls& controls, editing::RecordForm& form,
                               editing::UserPrompts& prompts, QWidget* dialogParent)
    : QObject(dialogParent), m_c(controls), m_form(form), m_prompts(prompts)
{
    setObjectName(QStringLiteral("webLookup"));

    m_pages = new SecondaryPageBrowser(m_c.WebBrowser1->page()->profile(), dialogParent, this);
    QWebEngineProfile* profile = m_c.WebBrowser1->page()->profile();
    QNetworkAccessManager* network = LookupNetwork::create(this);
    network->setCookieJar(new BrowserCookieJar(profile->cookieStore(), network));
    m_fetcher = new PageFetcher(*network, this);
    m_fetcher->setHeaders(profile->httpUserAgent().toUtf8(), profile->httpAcceptLanguage().toUtf8());
    m_fetcher->setTimeout(DefaultPageTimeout);
    m_further = new FurtherPages(
        *m_fetcher, std::make_shared<HtmlSnapshotReader>(m_profiles.labels(), m_profiles.sourceLabels()), this);
    connect(m_further, &FurtherPages::pageReady, this, &LookupWorkflow::furtherPageReady);
    connect(m_further, &FurtherPages::arrived, this, [this] {
        if (m_grabRunning && (m_structured || m_classic) && !m_inBrowser)
            showFurtherProgress();
    });
    connect(m_further, &FurtherPages::finished, this, [this] {
        m_furtherOver = true;
        readFurtherPages();
    });
    m_watch = new PageGuard(PageGuard::Mode::Watch, this);
    m_c.WebBrowser1->page()->setUrlRequestInterceptor(m_watch);

    connect(m_c.Command1, &QPushButton::clicked, this, &LookupWorkflow::command1Click);
    connect(m_c.srchIMDB, &QPushButton::clicked, this, &LookupWorkflow::srchIMDBClick);
    connect(m_c.searchbtn, &QPushButton::clicked, this, &LookupWorkflow::searchbtnClick);
    connect(m_c.Command2, &QPushButton::clicked, this, &LookupWorkflow::command2Click);
    connect(m_c.grabit, &QPushButton::clicked, this, &LookupWorkflow::grabitClick);
    connect(m_pages->transf(), &TransferDialog::cancelClicked, this, &LookupWorkflow::cancelButtonClick);
    connect(m_c.WebBrowser1, &QWebEngineView::loadFinished, this, &LookupWorkflow::webBrowser1DocumentComplete);
    connect(m_pages, &SecondaryPageBrowser::pageFailed, this, &LookupWorkflow::secondaryPageFailed);
}

LookupWorkflow::~LookupWorkflow()
{
    // The pages go before the profile that their owner deletes after this.
    delete m_pages;
}

void LookupWorkflow::setPageTimeout(std::chrono::milliseconds timeout)
{
    m_pages->setPageTimeout(timeout);
    m_fetcher->setTimeout(timeout);
}

std::chrono::milliseconds LookupWorkflow::pageTimeout() const { return m_pages->pageTimeout(); }

const SiteProfile* LookupWorkflow::siteProfile() const
{
    // The classic addresses are the movie site's own; other sites have theirs.
    const SiteProfile& profile = m_profiles.forAddress(QUrl(m_site.root()));
    return profile.kind() == SiteProfile::Kind::Classic ? nullptr : &profile;
}

QUrl LookupWorkflow::homeAddress() const
{
    const SiteProfile* profile = siteProfile();
    return profile ? profile->home(QUrl(m_site.root())) : m_site.home();
}

QUrl LookupWorkflow::searchAddress() const
{
    const SiteProfile* profile = siteProfile();
    return profile ? profile->searchPage(QUrl(m_site.root())) : m_site.searchPage();
}

QUrl LookupWorkflow::titleSearchAddress(const QString& title) const
{
    const SiteProfile* profile = siteProfile();
    return profile ? profile->titleSearch(QUrl(m_site.root()), title) : m_site.titleSearch(title);
}

void LookupWorkflow::goHome() { navigate1(homeAddress()); }

void LookupWorkflow::command1Click() { navigate1(homeAddress()); }

void LookupWorkflow::srchIMDBClick() { navigate1(searchAddress()); }

void LookupWorkflow::searchbtnClick()
{
    const QUrl url = titleSearchAddress(m_c.titlelabel->text());
    m_pageComplete = false;
    updateGrabit();
    navigate1(url);
}

void LookupWorkflow::command2Click() { navigate1(titleSearchAddress(m_c.titlelabel->text())); }

void LookupWorkflow::navigate1(const QUrl& url)
{
    if (!url.isEmpty())
        m_c.WebBrowser1->setUrl(url);
}

void LookupWorkflow::webBrowser1DocumentComplete(bool ok)
{
    m_pageComplete = true;
    m_titlePageFailed = !ok;
    updateGrabit();
}

void LookupWorkflow::updateGrabit() { m_c.grabit->setEnabled(m_pageComplete && !m_grabRunning); }

void LookupWorkflow::grabitClick()
{
    if (m_grabRunning)
        return; // the pending grab goes on alone
    if (m_grabCheck && !m_grabCheck())
        return;
    m_grabRunning = true;
    updateGrabit();
    setNotice(QString());
    // The summary is of the grab under way, once it has read its page.
    if (!m_summary.isEmpty()) {
        m_summary.clear();
        m_summaryDetails.clear();
        emit summaryChanged(m_summary);
    }
    m_structured.reset();
    m_extras.reset();
    m_classic = false;
    m_classicCast.clear();
    m_titleRead = false;
    if (m_titlePageFailed) {
        m_prompts.exclamation(ErrorPageMessage);
        endGrab();
        return;
    }
    const QUrl asked = m_c.WebBrowser1->page()->requestedUrl();
    const QUrl shown = m_c.WebBrowser1->url();
    const auto web = [](const QUrl& url) { return url.scheme() == u"http" || url.scheme() == u"https"; };
    if (web(asked) && web(shown) && !SiteBoundary::sameSite(asked, shown)) {
        const QString message = PageGuard::leftSiteMessage(asked, shown);
        setNotice(QStringLiteral("title page not read: it was sent on from %1 to %2, another site")
                      .arg(SiteBoundary::shown(asked), SiteBoundary::shown(shown)));
        m_prompts.exclamation(message);
        endGrab();
        return;
    }
    QPointer<LookupWorkflow> self(this);
    PageReader::readSnapshot(m_c.WebBrowser1->page(), m_profiles.snapshotScript(), [self](const std::optional<PageSnapshot>& page) {
        if (self)
            self->titlePageRead(page);
    });
}

void LookupWorkflow::titlePageRead(const std::optional<PageSnapshot>& page)
{
    if (!page || !page->hasBody) {
        m_prompts.exclamation(NoBodyMessage);
        endGrab();
        return;
    }
    m_titleRead = true;
    m_titlePage = *page;
    m_pages->setSite(page->address);
    m_fetcher->setSite(page->address);
    const SiteProfile& profile = m_profiles.recognise(*page, QUrl(m_site.root()));
    if (profile.kind() == SiteProfile::Kind::Structured)
        startStructured(profile, *page);
    else
        startClassic(*page);
}

void LookupWorkflow::startClassic(const PageSnapshot& page)
{
    LookupFields fields = FormFields::read(m_form);
    extractTitlePage(fields, page.title, page.bodyText);
    FormFields::write(fields, m_form, FormFields::Page::Title);
    m_extras = std::make_unique<StructuredGrab>(m_profiles.classic(), m_profiles.labels());
    m_extras->readTitlePage(page);
    emit titlePageDone();

    m_grabCancelled = false;
    m_classic = true;
    m_creditsOver = false;
    // Both pages are asked for at once, and only of the title page's own
    // server; they are read in order, the credits first.
    const MovieSite site(page.address);
    startFurtherPages({{SecondaryPage{QStringLiteral("credits")}, site.credits(m_form.title->text())},
                       {SecondaryPage{QStringLiteral("companies")}, site.companies(m_form.title->text())}});
}

void LookupWorkflow::startFurtherPages(const QList<QPair<SecondaryPage, QUrl>>& pages)
{
    m_asked.clear();
    m_queue.clear();
    m_inBrowser = false;
    QList<FurtherPages::Request> requests;
    for (const auto& [secondary, url] : pages) {
        m_asked.append(secondary);
        requests.append({secondary.name, url});
    }
    m_furtherOver = requests.isEmpty();
    if (requests.isEmpty()) {
        endGrab();
        return;
    }
    m_further->start(requests);
    showFurtherProgress();
}

void LookupWorkflow::secondaryPageFailed(const QString& line)
{
    // The step for the page runs at the next tick and reads nothing.
    setNotice(m_notice.isEmpty() ? line : m_notice + QStringLiteral("; ") + line);
}

void LookupWorkflow::setNotice(const QString& notice)
{
    if (notice == m_notice)
        return;
    m_notice = notice;
    emit noticeChanged(m_notice);
}

void LookupWorkflow::cancelButtonClick()
{
    m_grabCancelled = true;
    m_pages->cancel();
    if ((m_structured || m_classic) && m_grabRunning && !m_inBrowser) {
        // Nothing polls for the pages on the network: the grab ends at once,
        // after the click.
        m_further->cancel();
        m_queue.clear();
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_grabRunning || !m_grabCancelled)
                    return;
                if (m_classic)
                    classicCancelled();
                endGrab();
            },
            Qt::QueuedConnection);
    }
}

void LookupWorkflow::classicCancelled()
{
    // The step that was waiting runs in its cancelled form: it empties what
    // its page would have filled.
    if (!m_creditsOver) {
        m_form.mvBook->setCurrentText(QString());
        for (QComboBox* slot : m_form.mvCast) {
            slot->setCurrentText(QString());
            slot->setToolTip(QString());
        }
        m_creditsOver = true;
        emit creditsDone();
    } else {
        m_form.mvProducer->setCurrentText(QString());
    }
}

void LookupWorkflow::grabit_pt2()
{
    // The credits page in WebBrowser2 is over.
    if (m_grabCancelled) {
        classicCancelled();
        endGrab();
        return;
    }
    if (m_pages->failed()) {
        // Nothing to read; the companies page may still be there.
        creditsStepOver();
        return;
    }
    QPointer<LookupWorkflow> self(this);
    PageReader::readCredits(m_pages->page(), creditsReadAttempts, [self](const QString& text) {
        if (self && self->m_grabRunning) {
            self->creditsRead(text);
            self->creditsStepOver();
        }
    });
}

void LookupWorkflow::creditsRead(const QString& text)
{
    LookupFields fields = FormFields::read(m_form);
    weblookup::grabit_pt2(fields, [&text]() -> std::optional<QString> { return text; });
    m_classicCast = classicCastRoles(text);
    FormFields::write(fields, m_form, FormFields::Page::Credits);
}

void LookupWorkflow::creditsStepOver()
{
    m_grabCancelled = false;
    m_creditsOver = true;
    m_inBrowser = false;
    emit creditsDone();
    readFurtherPages();
}

void LookupWorkflow::grabit_pt3()
{
    // The companies page in WebBrowser2 is over.
    if (m_grabCancelled) {
        classicCancelled();
        endGrab();
        return;
    }
    if (m_pages->failed()) {
        m_inBrowser = false;
        readFurtherPages();
        return;
    }
    QPointer<LookupWorkflow> self(this);
    PageReader::readBody(m_pages->page(), [self](const std::optional<QString>& body) {
        if (self && self->m_grabRunning) {
            self->companiesRead(body.value_or(QString()));
            self->m_inBrowser = false;
            self->readFurtherPages();
        }
    });
}

void LookupWorkflow::companiesRead(const QString& text)
{
    LookupFields fields = FormFields::read(m_form);
    weblookup::grabit_pt3(fields, text);
    FormFields::write(fields, m_form, FormFields::Page::Companies);
}

void LookupWorkflow::readClassicPage(const FurtherPage& page)
{
    const bool credits = page.name == u"credits";
    if (page.outcome == FurtherPage::Outcome::Failed) {
        secondaryPageFailed(QStringLiteral("%1 page %2").arg(page.name, page.failure));
        if (credits) {
            m_creditsOver = true;
            emit creditsDone();
        }
        return;
    }
    // The classic steps read the text alone: a short page is read as it came
    // when it holds its step's marker.
    const bool read = page.snapshot.hasBody && classicPageComplete(page.name, page.snapshot.bodyText);
    if (!read) {
        m_inBrowser = true;
        if (credits)
            m_pages->fetch(page.address, page.name, CreditsText, m_pages->timer1(), [this] { grabit_pt2(); });
        else
            m_pages->fetch(page.address, page.name, CompaniesText, m_pages->timer2(), [this] { grabit_pt3(); });
        return;
    }
    if (credits) {
        creditsRead(page.snapshot.bodyText);
        m_creditsOver = true;
        emit creditsDone();
    } else {
        companiesRead(page.snapshot.bodyText);
    }
}

void LookupWorkflow::startStructured(const SiteProfile& profile, const PageSnapshot& page)
{
    m_structured = std::make_unique<StructuredGrab>(profile, m_profiles.labels());
    m_structuredProfile = &profile;
    m_structured->readTitlePage(page);
    // The title page starts a new movie: whatever the form held goes. The
    // secondary pages only add to it.
    FormFields::writeAll(m_structured->fields(), m_form);
    emit titlePageDone();
    m_grabCancelled = false;
    // Every page is read: a secondary page is the better source for what it
    // holds (the companies page lists the producer first).
    QList<QPair<SecondaryPage, QUrl>> pages;
    for (const SecondaryPage& secondary : profile.secondaryPages()) {
        const QUrl url = profile.secondaryPageAddress(secondary, m_titlePage, m_structured->title());
        if (!url.isEmpty())
            pages.append({secondary, url});
    }
    startFurtherPages(pages);
}

void LookupWorkflow::showFurtherProgress()
{
    const QStringList waiting = m_further->waitingFor();
    if (waiting.isEmpty())
        return;
    // The classic steps name the page they wait for, as they always have.
    m_pages->showProgress(waiting.size() == 1 || m_classic
                              ? progressText(waiting.first())
                              : QStringLiteral("Getting additional data from other pages (%1)")
                                    .arg(waiting.join(QStringLiteral(", "))));
}

void LookupWorkflow::furtherPageReady(const FurtherPage& page)
{
    m_queue.append(page);
    readFurtherPages();
}

void LookupWorkflow::readFurtherPages()
{
    if ((!m_structured && !m_classic) || !m_grabRunning)
        return;
    while (!m_inBrowser && !m_queue.isEmpty()) {
        const FurtherPage page = m_queue.takeFirst();
        m_current = m_asked.value(page.index);
        if (m_classic) {
            readClassicPage(page);
            continue;
        }
        switch (page.outcome) {
        case FurtherPage::Outcome::Failed:
            secondaryPageFailed(QStringLiteral("%1 page %2").arg(page.name, page.failure));
            break;
        case FurtherPage::Outcome::Read:
            m_structured->readSecondaryPage(m_current, page.snapshot);
            FormFields::writeFound(m_structured->fields(), m_form);
            break;
        case FurtherPage::Outcome::NeedsBrowser:
            // Built by its scripts: WebBrowser2 loads it, and the others wait.
            m_inBrowser = true;
            m_pages->fetch(page.address, page.name, progressText(page.name), m_pages->timer1(),
                           [this] { structuredPageStep(); });
            return;
        }
    }
    if (m_inBrowser)
        return;
    if (m_furtherOver && m_queue.isEmpty())
        endGrab();
    else
        showFurtherProgress();
}

void LookupWorkflow::structuredPageStep()
{
    // A cancel ends the grab; what the pages read so far gave stays.
    if (m_grabCancelled) {
        m_further->cancel();
        m_queue.clear();
        m_inBrowser = false;
        endGrab();
        return;
    }
    if (m_pages->failed()) {
        m_inBrowser = false;
        readFurtherPages();
        return;
    }
    QPointer<LookupWorkflow> self(this);
    PageReader::readSnapshot(m_pages->page(), m_profiles.snapshotScript(), [self](const std::optional<PageSnapshot>& page) {
        if (!self || !self->m_structured)
            return;
        if (page && page->hasBody) {
            self->m_structured->readSecondaryPage(self->m_current, *page);
            FormFields::writeFound(self->m_structured->fields(), self->m_form);
        }
        self->m_inBrowser = false;
        self->readFurtherPages();
    });
}

QString LookupWorkflow::progressText(const QString& pageName)
{
    if (pageName == u"credits")
        return CreditsText;
    if (pageName == u"companies")
        return CompaniesText;
    return QStringLiteral("Getting additional data from other pages (%1)").arg(pageName);
}

void LookupWorkflow::endGrab()
{
    m_further->cancel();
    m_furtherOver = true;
    m_pages->finish();
    m_grabRunning = false;
    updateGrabit();
    if (m_titleRead) {
        m_result = GrabResult{};
        m_result.titlePage = m_titlePage.address;
        // The classic credits page bills the cast where the title page does not.
        m_result.billedCast = m_titlePage.castRoles.isEmpty() && !m_structured ? m_classicCast : m_titlePage.castRoles;
        if (m_structured) {
            m_result.profile = m_structured->profileName();
            m_result.fields = m_structured->fields();
            m_result.sources = m_structured->sources();
            m_result.refusals = m_structured->refusals();
        } else {
            m_result.profile = m_profiles.classic().name();
            m_result.fields = FormFields::read(m_form);
            if (m_extras) {
                m_result.fields.runningTime = m_extras->fields().runningTime;
                m_result.fields.cover = m_extras->fields().cover;
                m_result.sources = m_extras->sources();
                m_result.refusals = m_extras->refusals();
            }
        }
        m_summary = grabSummary(m_result, m_profiles.errors());
        m_summaryDetails = grabDetails(m_result, m_profiles.errors());
        emit summaryChanged(m_summary);
        emit grabFinished(m_result);
    }
    emit grabEnded();
}

void LookupWorkflow::stop()
{
    m_further->cancel();
    m_pages->stop();
    m_c.WebBrowser1->stop();
}

} // namespace quelto::weblookup
