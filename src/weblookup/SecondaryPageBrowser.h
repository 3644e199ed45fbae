#pragma once

#include <QObject>
#include <QSize>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>

class QTimer;
class QWebEnginePage;
class QWebEngineProfile;
class QWidget;

namespace quelto::weblookup {

class PageGuard;
class PageLoader;
class TransferDialog;

// Where a grab loads its secondary pages: WebBrowser2, on the window browser2
// that is never shown, one page at a time, while the progress dialog transf
// says which page it fetches and offers to cancel. The pages stay on the
// title page's site (see GuardedPage).
//
// A page is pending from fetch() until it has completed or failed; a page
// that fails (an error status, a network error, a refused redirect) or has
// not completed within the page timeout is reported by pageFailed() with its
// name and the reason. Timer1 or Timer2 polls every PollInterval until the
// page is no longer pending, then runs the page's step; a page that completes
// or fails has its step run at once. transf stays shown, where it is, from the
// first page of a grab until finish().
class SecondaryPageBrowser : public QObject
{
    Q_OBJECT
public:
    static constexpr int PollInterval = 100; // ms
    static constexpr std::chrono::milliseconds DefaultPageTimeout{30000};
    // WebBrowser2 lays its pages out at this size, as a desktop browser would.
    static constexpr QSize Browser2Size{1280, 1024};

    // WebBrowser2 shares profile (WebBrowser1's, and so its cookies); the
    // window and transf belong to dialogParent.
    SecondaryPageBrowser(QWebEngineProfile* profile, QWidget* dialogParent, QObject* parent = nullptr);
    ~SecondaryPageBrowser() override;

    // How long a page may take to load.
    void setPageTimeout(std::chrono::milliseconds timeout);
    std::chrono::milliseconds pageTimeout() const;
    // The title page whose site the pages must stay on.
    void setSite(const QUrl& titlePage);

    // Loads url as the page pageName ("credits", "companies"); transf shows
    // progress once the engine has begun to load it. poll, timer1() or
    // timer2(), runs step once the page is over (and stops, its interval 0).
    void fetch(const QUrl& url, const QString& pageName, const QString& progress, QTimer* poll,
               std::function<void()> step);
    // The cancel of transf: the page is no longer waited for; its step runs
    // at the next tick.
    void cancel();
    // transf shows text, where it is, for pages asked for without WebBrowser2.
    void showProgress(const QString& text);
    // The grab's last page has been read: transf goes.
    void finish();
    // Stops the timers and the load and hides transf; for the window's tear-down.
    void stop();

    bool pending() const { return m_pending; }
    // The page last fetched failed.
    bool failed() const { return m_failed; }

    QTimer* timer1() const { return m_timer1; }
    QTimer* timer2() const { return m_timer2; }
    TransferDialog* transf() const { return m_transf; }
    QWidget* window() const { return m_window; }
    QWebEnginePage* page() const { return m_page; }

signals:
    // "credits page not found (404)".
    void pageFailed(const QString& line);

private:
    void loadStarted();
    void loadCompleted();
    void loadFailed(const QString& failure);
    void tick(QTimer* timer, std::function<void()> step); // a copy: the step may fetch the next page
    void stepNow();

    QWidget* m_window;
    QWebEnginePage* m_page;
    PageGuard* m_guard;
    PageLoader* m_loader;
    TransferDialog* m_transf;
    QTimer* m_timer1;
    QTimer* m_timer2;
    std::function<void()> m_step1; // what Timer1 runs
    std::function<void()> m_step2;
    QTimer* m_poll = nullptr; // the timer of the page last fetched
    bool m_pending = false;
    bool m_failed = false;
    QString m_pageName;
};

} // namespace quelto::weblookup
