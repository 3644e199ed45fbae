#include "weblookup/PageLoader.h"

#include "weblookup/PageFetcher.h"

#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>

namespace quelto::weblookup {

PageLoader::PageLoader(QWebEnginePage* page, QObject* parent) : QObject(parent), m_page(page), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_page->triggerAction(QWebEnginePage::Stop);
        fail(timeoutReason(m_timeout));
    });
    connect(m_page, &QWebEnginePage::loadStarted, this, &PageLoader::loadStarted);
    connect(m_page, &QWebEnginePage::loadFinished, this, &PageLoader::loadFinished);
    connect(m_page, &QWebEnginePage::loadingChanged, this, &PageLoader::loadingChanged);
}

void PageLoader::load(const QUrl& url)
{
    ++m_serial;
    m_url = url;
    m_loading = true;
    m_started = false;
    m_timer->start(m_timeout);
    m_page->load(url);
}

void PageLoader::stop()
{
    if (!m_loading)
        return;
    m_loading = false;
    m_timer->stop();
    m_page->triggerAction(QWebEnginePage::Stop);
}

void PageLoader::loadStarted()
{
    if (m_loading && !m_started) {
        m_started = true;
        emit started();
    }
}

void PageLoader::loadFinished(bool ok)
{
    if (!m_loading)
        return;
    if (ok) {
        m_loading = false;
        m_timer->stop();
        emit completed();
        return;
    }
    // The reason follows with the loading state; without one the load
    // fails all the same.
    QTimer::singleShot(0, this, [this, serial = m_serial] {
        if (m_loading && serial == m_serial)
            fail(QStringLiteral("could not be loaded"));
    });
}

void PageLoader::loadingChanged(const QWebEngineLoadingInfo& info)
{
    if (m_loading && info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
        fail(failureReason(info));
}

void PageLoader::fail(const QString& reason)
{
    if (!m_loading)
        return;
    m_loading = false;
    m_timer->stop();
    emit failed(reason);
}

QString PageLoader::failureReason(const QWebEngineLoadingInfo& info)
{
    const int code = info.errorCode();
    if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain)
        return PageFetcher::statusReason(code);
    // The engine's network error codes.
    switch (code) {
    case -102:
        return QStringLiteral("could not be reached (connection refused)");
    case -105:
    case -137:
        return QStringLiteral("could not be reached (server not found)");
    case -106:
        return QStringLiteral("could not be reached (no network connection)");
    case -7:
    case -118:
        return QStringLiteral("could not be reached (connection timed out)");
    default:
        break;
    }
    QString what = info.errorString();
    what.remove(QLatin1String("net::"));
    return what.isEmpty() ? QStringLiteral("could not be loaded") : QStringLiteral("could not be loaded (%1)").arg(what);
}

QString PageLoader::timeoutReason(std::chrono::milliseconds timeout)
{
    const double seconds = std::chrono::duration<double>(timeout).count();
    return QStringLiteral("did not answer within %1 seconds").arg(seconds);
}

} // namespace quelto::weblookup
