#include "weblookup/SecondaryPageBrowser.h"

#include "weblookup/GuardedPage.h"
#include "weblookup/PageGuard.h"
#include "weblookup/PageLoader.h"
#include "weblookup/TransferDialog.h"

#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace quelto::weblookup {

SecondaryPageBrowser::SecondaryPageBrowser(QWebEngineProfile* profile, QWidget* dialogParent, QObject* parent)
    : QObject(parent)
{
    // The window is never shown, but has a desktop size, so that pages lay
    // out (and hide or show their parts) as they would on the screen. A page
    // that fails to load stays failed rather than showing the engine's error
    // page.
    m_window = new QWidget(dialogParent, Qt::Window);
    m_window->setObjectName(QStringLiteral("browser2"));
    m_window->setWindowTitle(QStringLiteral("Additional IMDb Pages"));
    auto* view = new QWebEngineView(m_window);
    view->setObjectName(QStringLiteral("WebBrowser2"));
    auto* guarded = new GuardedPage(profile, view);
    m_page = guarded;
    m_guard = guarded->guard();
    m_page->setObjectName(QStringLiteral("WebBrowser2Page"));
    m_page->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    m_page->settings()->setAttribute(QWebEngineSettings::AutoLoadImages, false);
    view->setPage(m_page);
    // Sized directly: a layout would act only once the window is shown.
    m_window->resize(Browser2Size);
    view->resize(Browser2Size);
    m_loader = new PageLoader(m_page, this);
    m_loader->setTimeout(DefaultPageTimeout);
    m_transf = new TransferDialog(dialogParent);
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(0);
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setInterval(0);

    connect(m_loader, &PageLoader::started, this, &SecondaryPageBrowser::loadStarted);
    connect(m_loader, &PageLoader::completed, this, &SecondaryPageBrowser::loadCompleted);
    connect(m_loader, &PageLoader::failed, this, &SecondaryPageBrowser::loadFailed);
    connect(m_timer1, &QTimer::timeout, this, [this] { tick(m_timer1, m_step1); });
    connect(m_timer2, &QTimer::timeout, this, [this] { tick(m_timer2, m_step2); });
}

SecondaryPageBrowser::~SecondaryPageBrowser()
{
    // The pages go before the profile, which its owner may delete next.
    delete m_window;
}

void SecondaryPageBrowser::setPageTimeout(std::chrono::milliseconds timeout) { m_loader->setTimeout(timeout); }

std::chrono::milliseconds SecondaryPageBrowser::pageTimeout() const { return m_loader->timeout(); }

void SecondaryPageBrowser::setSite(const QUrl& titlePage) { m_guard->setSite(titlePage); }

void SecondaryPageBrowser::fetch(const QUrl& url, const QString& pageName, const QString& progress, QTimer* poll,
                                 std::function<void()> step)
{
    m_transf->label1()->setText(progress);
    m_pending = true;
    m_failed = false;
    m_pageName = pageName;
    m_loader->load(url);
    (poll == m_timer1 ? m_step1 : m_step2) = std::move(step);
    m_poll = poll;
    poll->setInterval(PollInterval);
    poll->start();
}

void SecondaryPageBrowser::stepNow()
{
    // The page is there: its step runs at once rather than at the next tick.
    QMetaObject::invokeMethod(
        this,
        [this, poll = QPointer<QTimer>(m_poll)] {
            if (poll && poll->isActive() && !m_pending)
                tick(poll, poll == m_timer1 ? m_step1 : m_step2);
        },
        Qt::QueuedConnection);
}

void SecondaryPageBrowser::finish() { m_transf->hide(); }

void SecondaryPageBrowser::showProgress(const QString& text)
{
    m_transf->label1()->setText(text);
    m_transf->show();
}

void SecondaryPageBrowser::tick(QTimer* timer, std::function<void()> step)
{
    if (m_pending)
        return;
    timer->stop();
    timer->setInterval(0);
    if (step)
        step();
}

void SecondaryPageBrowser::cancel()
{
    m_pending = false;
    m_transf->hide();
    m_loader->stop();
}

void SecondaryPageBrowser::stop()
{
    m_timer1->stop();
    m_timer2->stop();
    m_loader->stop();
    m_transf->hide();
}

void SecondaryPageBrowser::loadStarted()
{
    if (m_pending)
        m_transf->show();
}

void SecondaryPageBrowser::loadCompleted()
{
    // transf stays where it is until the grab's last page (finish()).
    m_pending = false;
    stepNow();
}

void SecondaryPageBrowser::loadFailed(const QString& failure)
{
    const QString blocked = m_guard->blockedReason();
    const QString reason = blocked.isEmpty() ? failure : blocked;
    m_guard->clearBlocked();
    m_pending = false;
    m_failed = true;
    emit pageFailed(QStringLiteral("%1 page %2").arg(m_pageName, reason));
    stepNow();
}

} // namespace quelto::weblookup
