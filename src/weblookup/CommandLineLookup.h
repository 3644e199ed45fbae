#pragma once

#include "weblookup/LookupFields.h"
#include "weblookup/PageSnapshot.h"
#include "weblookup/SiteProfileRegistry.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>
#include <memory>

class QEventLoop;
class QWebEnginePage;
class QWebEngineProfile;

namespace quelto::weblookup {

class FurtherPages;
class PageFetcher;
class PageGuard;
class PageLoader;
class StructuredGrab;
struct FurtherPage;

// quelto --lookup URL: a grab without a window. Loads the title page at URL
// in a page that is never shown, reads it with the site profile that
// recognises it (or the one named), then reads that profile's secondary
// pages (for the classic profile, the credits and companies pages for the
// title on the same server), all at once over the network, read without the
// browser unless a page holds nothing until its scripts run. A secondary page
// that fails is noted and the lookup goes on. Every page read is on the title page's site: a title page
// that is sent on to another site is not read, nor is a further page that
// would be; a page on the open network reaches no local address.
class CommandLineLookup : public QObject
{
    Q_OBJECT
public:
    struct FailedPage
    {
        QString page; // "title", "credits", ...
        QUrl address;
        QString reason; // "not found (404)"
    };

    struct Result
    {
        bool titleRead = false; // the title page was read: whatever else failed, fields are there
        QString profile;
        LookupFields fields;
        QHash<QString, QString> sources; // archive column -> where its value came from
        QStringList refusals;            // values passed over, and why
        QList<QPair<QString, QString>> billedCast; // the title page's cast: person, character
        QStringList profileErrors;       // profile files left out: "file: why"
        QList<FailedPage> failedPages;
        QString error; // why nothing could be read, for the user
    };

    // With a profile, the pages are read with its cookies (the browser
    // pane's, for "Grab Again"); it must outlive the lookup.
    explicit CommandLineLookup(std::chrono::milliseconds pageTimeout = std::chrono::milliseconds(30000),
                               QObject* parent = nullptr, QWebEngineProfile* profile = nullptr);
    ~CommandLineLookup() override;

    // The profiles to choose from (the shipped ones and the user's).
    const SiteProfileRegistry& profiles() const { return m_profiles; }

    // The movie site of the settings: its pages are read by the classic
    // steps when no profile knows its host (as in the window).
    void setMovieSite(const QUrl& server) { m_movieSite = server; }

    // Only http and https pages are read: a file or other local address is
    // refused before anything is loaded.
    static bool isWebAddress(const QUrl& url);

    // Runs the lookup in a local event loop and returns when it is over.
    // profileName forces a profile; it must be one of profiles().
    Result run(const QUrl& titlePage, const QString& profileName = {});

    // The filled fields as one JSON object keyed by archive column, with the
    // running time in minutes ("quelto_running_time") and the poster's address
    // ("cover"), each "" when not found; under "lookup" the profile, each
    // field's source, the values passed over, the pages that failed and the
    // profile files left out.
    static QByteArray toJson(const Result& result);

    // Settings the engine needs before the application object exists when it
    // runs without a window: the offscreen platform when there is no display,
    // no sandbox for root, no GPU and no background requests.
    static void prepareHeadlessEnvironment();

    // The whole command: the JSON on stdout and 0 when the title page was
    // read; otherwise an error on stderr and 1 (2 for an unknown profile).
    static int main(const QString& url, const QString& profileName = {}, const QUrl& movieSite = {});

private:
    void load(const QUrl& url, const QString& pageName);
    void readClassicExtras(const PageSnapshot& page);
    void pageCompleted();
    void pageFailed(const QString& reason);
    void titlePageRead(const PageSnapshot& page);
    void classicCredits();
    void keepClassicCast(const QString& creditsText);
    void askFurtherPages(const QList<QPair<SecondaryPage, QUrl>>& pages);
    void furtherPageReady(const FurtherPage& page);
    void readQueue();
    void nextSecondaryPage();
    void finish();

    SiteProfileRegistry m_profiles;
    QWebEnginePage* m_page;
    PageGuard* m_guard;
    PageLoader* m_loader;
    QUrl m_requested; // the title page asked for
    QUrl m_movieSite;
    QEventLoop* m_loop = nullptr;
    const SiteProfile* m_profile = nullptr;
    const SiteProfile* m_forced = nullptr;
    std::unique_ptr<StructuredGrab> m_grab;
    std::unique_ptr<StructuredGrab> m_extras; // the running time and poster beside the classic steps
    PageSnapshot m_titlePage;
    PageFetcher* m_fetcher;
    FurtherPages* m_further;
    QList<SecondaryPage> m_asked;   // the further pages asked for, in order
    QList<FurtherPage> m_queue;     // those that came, still to be read
    bool m_furtherOver = false;     // every further page has come
    bool m_inBrowser = false;       // one of them is being loaded in the browser
    SecondaryPage m_current;
    QString m_pageName;
    Result m_result;
    bool m_over = false;
};

} // namespace quelto::weblookup
