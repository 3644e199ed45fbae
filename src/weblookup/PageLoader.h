#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>

class QTimer;
class QWebEngineLoadingInfo;
class QWebEnginePage;

namespace quelto::weblookup {

// Loads pages into a browser page one at a time and tells how each load
// ended: completed, or failed with a short reason for the user ("not found
// (404)", "did not answer within 30 seconds"). A load that has not finished
// within the timeout is stopped and fails. A new load or stop() forgets the
// load before it: nothing more is reported for that one.
class PageLoader : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds DefaultTimeout{30000};

    explicit PageLoader(QWebEnginePage* page, QObject* parent = nullptr);

    QWebEnginePage* page() const { return m_page; }
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    std::chrono::milliseconds timeout() const { return m_timeout; }

    void load(const QUrl& url);
    void stop();
    // Between load() and the end of that load.
    bool loading() const { return m_loading; }
    // The address of the last load.
    const QUrl& url() const { return m_url; }

    // The reason for a failed load, as it follows a page's name in a notice.
    static QString failureReason(const QWebEngineLoadingInfo& info);
    static QString timeoutReason(std::chrono::milliseconds timeout);

signals:
    // The engine has begun to load the page.
    void started();
    void completed();
    void failed(const QString& reason);

private:
    void loadStarted();
    void loadFinished(bool ok);
    void loadingChanged(const QWebEngineLoadingInfo& info);
    void fail(const QString& reason);

    QWebEnginePage* m_page;
    QTimer* m_timer;
    std::chrono::milliseconds m_timeout = DefaultTimeout;
    QUrl m_url;
    bool m_loading = false;
    bool m_started = false;
    quint64 m_serial = 0; // which load a deferred check belongs to
};

} // namespace quelto::weblookup
