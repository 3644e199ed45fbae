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

namespace quelto::weblookup {

class PageLoader;
class StructuredGrab;

// quelto --lookup URL: a grab without a window. Loads the title page at URL
// in a page that is never shown, reads it with the site profile that
// recognises it (or the one named), then reads that profile's secondary
// pages (for the classic profile, the credits and companies pages for the
// title on the same server). A secondary page that fails is noted and the
// lookup goes on.
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
        QList<FailedPage> failedPages;
        QString error; // why nothing could be read, for the user
    };

    explicit CommandLineLookup(std::chrono::milliseconds pageTimeout = std::chrono::milliseconds(30000),
                               QObject* parent = nullptr);
    ~CommandLineLookup() override;

    // The profiles to choose from (the shipped ones and the user's).
    const SiteProfileRegistry& profiles() const { return m_profiles; }

    // Only http and https pages are read: a file or other local address is
    // refused before anything is loaded.
    static bool isWebAddress(const QUrl& url);

    // Runs the lookup in a local event loop and returns when it is over.
    // profileName forces a profile; it must be one of profiles().
    Result run(const QUrl& titlePage, const QString& profileName = {});

    // The filled fields as one JSON object keyed by archive column, and under
    // "lookup" the profile, each field's source and the pages that failed.
    static QByteArray toJson(const Result& result);

    // Settings the engine needs before the application object exists when it
    // runs without a window: the offscreen platform when there is no display,
    // no sandbox for root, no GPU and no background requests.
    static void prepareHeadlessEnvironment();

    // The whole command: the JSON on stdout and 0 when the title page was
    // read; otherwise an error on stderr and 1 (2 for an unknown profile).
    static int main(const QString& url, const QString& profileName = {});

private:
    void load(const QUrl& url, const QString& pageName);
    void pageCompleted();
    void pageFailed(const QString& reason);
    void titlePageRead(const PageSnapshot& page);
    void classicCredits();
    void requestClassicCompanies();
    void nextSecondaryPage();
    void finish();

    SiteProfileRegistry m_profiles;
    QWebEnginePage* m_page;
    PageLoader* m_loader;
    QEventLoop* m_loop = nullptr;
    const SiteProfile* m_profile = nullptr;
    const SiteProfile* m_forced = nullptr;
    std::unique_ptr<StructuredGrab> m_grab;
    PageSnapshot m_titlePage;
    QList<SecondaryPage> m_remaining;
    SecondaryPage m_current;
    QString m_pageName;
    Result m_result;
    bool m_over = false;
};

} // namespace quelto::weblookup
