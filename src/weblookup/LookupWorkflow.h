#pragma once

#include "weblookup/GrabResult.h"
#include "weblookup/MovieSite.h"
#include "weblookup/PageReader.h"
#include "weblookup/PageSnapshot.h"
#include "weblookup/SecondaryPageBrowser.h"
#include "weblookup/SiteProfileRegistry.h"

#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;
class QWebEnginePage;
class QWebEngineView;

namespace quelto::editing {
struct RecordForm;
class UserPrompts;
} // namespace quelto::editing

namespace quelto::weblookup {

class FurtherPages;
class PageFetcher;
class PageGuard;
class StructuredGrab;
class TransferDialog;
struct FurtherPage;

// The IMDb tab's controls that the lookup drives.
struct LookupControls
{
    QWebEngineView* WebBrowser1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* srchIMDB = nullptr;
    QPushButton* searchbtn = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* grabit = nullptr;
    QLabel* titlelabel = nullptr;
};

// The web lookup: the IMDb tab's buttons, and the grab that copies the movie
// shown in WebBrowser1 into the record form. The title page is read at once.
// Its further pages (a site profile's secondary pages, or the classic steps'
// credits and companies pages) are asked for all at once over the network,
// with the browser's cookies, and read without the engine, each step as soon
// as its page has come, in order; transf names the page still awaited. A
// page that holds nothing until its scripts run loads in WebBrowser2, on the
// window browser2 that is never shown, and Timer1 (Timer2 for the classic
// companies page) polls every 100 ms until it has completed or failed, then
// runs its step. The engine hands over a page's text asynchronously; each
// step runs when its text has arrived, in order, on the one thread.
//
// Cancel ends the grab at once; the classic step that was waiting runs in its
// cancelled form (the credits step empties writer and cast, the companies
// step the company).
//
// A secondary page that fails (an error status, a network error) or has not
// completed within the page timeout ends its step: the fields stay as they
// are, the next step runs, and notice() says which page failed and why.
//
// A grab runs to its end before the next may start: grabit stays disabled
// meanwhile. Nothing is stored; the user saves the record.
//
// The grab stays on the title page's site: a page shown in WebBrowser1 that
// a redirect brought from another site is not read, WebBrowser2 follows no
// redirect to another site, and a page on the open network reaches no local
// address. The secondary pages are asked of the title page's own server.
class LookupWorkflow : public QObject
{
    Q_OBJECT
public:
    static constexpr int PollInterval = SecondaryPageBrowser::PollInterval; // ms
    static constexpr std::chrono::milliseconds DefaultPageTimeout = SecondaryPageBrowser::DefaultPageTimeout;
    static constexpr QSize Browser2Size = SecondaryPageBrowser::Browser2Size;

    static inline const QString CreditsText = QStringLiteral("Getting additional data from other IMDb pages (extd. cast)");
    static inline const QString CompaniesText =
        QStringLiteral("Getting additional data from other IMDb pages (prod. company)");
    static inline const QString ErrorPageMessage =
        QStringLiteral("The page in the browser did not load, so there is no movie data to transfer.");
    static inline const QString NoBodyMessage =
        QStringLiteral("The browser does not show a web page (it may be an image or a document), "
                       "so there is no movie data to transfer.");

    LookupWorkflow(const LookupControls& controls, editing::RecordForm& form, editing::UserPrompts& prompts,
                   QWidget* dialogParent);
    ~LookupWorkflow() override;

    void setSite(const MovieSite& site) { m_site = site; }
    // How long a secondary page may take to load.
    void setPageTimeout(std::chrono::milliseconds timeout);
    std::chrono::milliseconds pageTimeout() const;
    // Asked before a grab writes into the form; false leaves the grab undone.
    void setGrabCheck(std::function<bool()> check) { m_grabCheck = std::move(check); }
    const MovieSite& site() const { return m_site; }

    // WebBrowser1 to the site's home page (nothing without a site).
    void goHome();

    // The handlers, one per event.
    void command1Click();
    void srchIMDBClick();
    void searchbtnClick();
    void command2Click();
    void grabitClick();
    void cancelButtonClick();

    bool grabCancelled() const { return m_grabCancelled; }
    bool pagePending() const { return m_pages->pending(); }
    // From the grabit click until the grab's last step has run.
    bool grabRunning() const { return m_grabRunning; }

    QTimer* timer1() const { return m_pages->timer1(); }
    QTimer* timer2() const { return m_pages->timer2(); }
    TransferDialog* transf() const { return m_pages->transf(); }
    QWidget* browser2() const { return m_pages->window(); }
    QWebEnginePage* webBrowser2() const { return m_pages->page(); }

    // The pages of the last grab that failed, with the reason each time
    // ("credits page not found (404)"); empty when none failed.
    const QString& notice() const { return m_notice; }
    // The last grab's summary: its profile, and the fields filled and not
    // found ("IMDb: filled 17 of 20; not found: Music, Sound, Cover"), then
    // the profile files that were left out, with the reason.
    const QString& summary() const { return m_summary; }
    // Where each field of the last grab came from, the values passed over,
    // and the profile files left out: one line each.
    const QString& summaryDetails() const { return m_summaryDetails; }
    // What the last grab found, the running time and the poster included.
    const GrabResult& lastResult() const { return m_result; }

    // The site profiles: the one that recognises a title page reads it; a
    // site without a profile of its own is read by the classic steps.
    const SiteProfileRegistry& profiles() const { return m_profiles; }

    // Stops both browsers; for the window's tear-down.
    void stop();

signals:
    // The title page's fields are in the form.
    void titlePageDone();
    // grabit_pt2 has run (normally or in its cancelled form).
    void creditsDone();
    // The grab is over: the companies step ran, a cancel during the credits
    // page ended it, or the title page could not be read.
    void grabEnded();
    // notice() has changed: a page failed, or a new grab began.
    void noticeChanged(const QString& notice);
    // The summary line of a grab that has ended.
    void summaryChanged(const QString& summary);
    // A grab that read its title page has ended; result is lastResult().
    // Emitted before grabEnded.
    void grabFinished(const weblookup::GrabResult& result);

private:
    void webBrowser1DocumentComplete(bool ok);
    void secondaryPageFailed(const QString& line);
    void setNotice(const QString& notice);

    const SiteProfile* siteProfile() const;
    QUrl homeAddress() const;
    QUrl searchAddress() const;
    QUrl titleSearchAddress(const QString& title) const;

    void titlePageRead(const std::optional<PageSnapshot>& page);
    void startClassic(const PageSnapshot& page);
    void startStructured(const SiteProfile& profile, const PageSnapshot& page);
    void furtherPageReady(const FurtherPage& page);
    void readFurtherPages();
    void structuredPageStep();
    void showFurtherProgress();
    static QString progressText(const QString& pageName);
    void startFurtherPages(const QList<QPair<SecondaryPage, QUrl>>& pages);
    void readClassicPage(const FurtherPage& page);
    void classicCancelled();
    void grabit_pt2();
    void creditsRead(const QString& text);
    void creditsStepOver();
    void grabit_pt3();
    void companiesRead(const QString& text);
    void endGrab();
    void updateGrabit();
    void navigate1(const QUrl& url);

    LookupControls m_c;
    editing::RecordForm& m_form;
    editing::UserPrompts& m_prompts;
    MovieSite m_site;
    std::function<bool()> m_grabCheck;

    SecondaryPageBrowser* m_pages; // WebBrowser2, transf, Timer1 and Timer2
    PageGuard* m_watch; // WebBrowser1's

    bool m_grabCancelled = false;
    QString m_notice;
    QString m_summary;
    QString m_summaryDetails;
    GrabResult m_result;
    bool m_titleRead = false; // the grab has read its title page

    SiteProfileRegistry m_profiles;
    std::unique_ptr<StructuredGrab> m_structured; // a grab by a structured profile
    std::unique_ptr<StructuredGrab> m_extras;     // the running time and poster beside the classic steps
    const SiteProfile* m_structuredProfile = nullptr;
    PageSnapshot m_titlePage;
    bool m_classic = false;     // the grab runs the classic steps
    bool m_creditsOver = false; // and its credits step has run
    QList<QPair<QString, QString>> m_classicCast; // billed on the classic credits page
    PageFetcher* m_fetcher;           // its secondary pages, over the network
    FurtherPages* m_further;
    QList<SecondaryPage> m_asked;     // its secondary pages, in order
    QList<FurtherPage> m_queue;       // those that came, still to be read
    bool m_furtherOver = false;       // every secondary page has come
    bool m_inBrowser = false;         // one of them is loading in WebBrowser2
    SecondaryPage m_current;
    bool m_grabRunning = false;
    bool m_pageComplete = false; // WebBrowser1 has completed a page since the last title search
    bool m_titlePageFailed = false; // and that page did not load
};

} // namespace quelto::weblookup
