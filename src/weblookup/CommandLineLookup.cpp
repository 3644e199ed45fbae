#include "weblookup/CommandLineLookup.h"

#include "weblookup/ArchiveValues.h"
#include "weblookup/FieldExtraction.h"
#include "weblookup/MovieSite.h"
#include "weblookup/PageReader.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <cstdio>
#include <unistd.h>

namespace quelto::weblookup {
namespace {

QString shown(const QUrl& url) { return url.toDisplayString(); }

} // namespace

CommandLineLookup::CommandLineLookup(std::chrono::milliseconds pageTimeout, QObject* parent)
    : QObject(parent), m_timeout(pageTimeout), m_page(new QWebEnginePage(this)), m_timer(new QTimer(this))
{
    m_page->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    m_page->settings()->setAttribute(QWebEngineSettings::AutoLoadImages, false);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("%1 did not complete within %2 seconds.")
                 .arg(shown(m_url))
                 .arg(std::chrono::duration<double>(m_timeout).count()));
    });
    connect(m_page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
            m_loadError = info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain
                              ? QStringLiteral("the server answered with status %1").arg(info.errorCode())
                              : info.errorString();
    });
    connect(m_page, &QWebEnginePage::loadFinished, this, &CommandLineLookup::loaded);
}

CommandLineLookup::~CommandLineLookup() = default;

CommandLineLookup::Result CommandLineLookup::run(const QUrl& titlePage)
{
    m_result = {};
    m_over = false;
    if (!titlePage.isValid() || titlePage.host().isEmpty() || !isWebAddress(titlePage)) {
        m_result.error = QStringLiteral("\"%1\" is not the address of a web page: --lookup takes http and https "
                                        "addresses only.")
                             .arg(titlePage.toString());
        return m_result;
    }
    QEventLoop loop;
    m_loop = &loop;
    load(titlePage, Stage::Title);
    if (!m_over)
        loop.exec();
    m_loop = nullptr;
    m_page->triggerAction(QWebEnginePage::Stop);
    return m_result;
}

void CommandLineLookup::load(const QUrl& url, Stage stage)
{
    m_stage = stage;
    m_url = url;
    m_loadError.clear();
    m_timer->start(m_timeout);
    m_page->load(url);
}

void CommandLineLookup::loaded(bool ok)
{
    if (m_over || !m_timer->isActive())
        return;
    if (!ok) {
        // The failure's reason arrives with the loading state just after this.
        QTimer::singleShot(0, this, [this] {
            fail(QStringLiteral("Cannot load %1: %2.")
                     .arg(shown(m_url), m_loadError.isEmpty() ? QStringLiteral("the page did not load") : m_loadError));
        });
        return;
    }
    m_timer->stop();
    QPointer<CommandLineLookup> self(this);
    PageReader::readDocument(m_page, [self](const DocumentText& document) {
        if (!self || self->m_over)
            return;
        if (!document.hasBody) {
            self->fail(QStringLiteral("%1 is not a web page: its document has no body.").arg(shown(self->m_url)));
            return;
        }
        const MovieSite site(self->m_url);
        LookupFields& fields = self->m_result.fields;
        switch (self->m_stage) {
        case Stage::Title:
            extractTitlePage(fields, document.title, document.body);
            self->load(site.credits(fields.title), Stage::Credits);
            break;
        case Stage::Credits:
            PageReader::readCredits(self->m_page, creditsReadAttempts, [self](const QString& text) {
                if (!self || self->m_over)
                    return;
                LookupFields& f = self->m_result.fields;
                grabit_pt2(f, [&text]() -> std::optional<QString> { return text; });
                self->load(MovieSite(self->m_url).companies(f.title), Stage::Companies);
            });
            break;
        case Stage::Companies:
            grabit_pt3(fields, document.body);
            self->m_result.ok = true;
            self->finish();
            break;
        }
    });
}

void CommandLineLookup::fail(const QString& error)
{
    if (m_over)
        return;
    m_result.ok = false;
    m_result.error = error;
    finish();
}

void CommandLineLookup::finish()
{
    m_over = true;
    m_timer->stop();
    if (m_loop)
        m_loop->quit();
}

QByteArray CommandLineLookup::toJson(const LookupFields& fields)
{
    QJsonObject object;
    for (const auto& [column, value] : archiveValues(fields))
        object.insert(column, value);
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
    // The engine's start-up report would only clutter the error output.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "qt.webenginecontext.info=false");
}

bool CommandLineLookup::isWebAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

int CommandLineLookup::main(const QString& url)
{
    CommandLineLookup lookup;
    const Result result = lookup.run(QUrl(url, QUrl::TolerantMode));
    if (!result.ok) {
        std::fprintf(stderr, "quelto: %s\n", qPrintable(result.error));
        return 1;
    }
    const QByteArray json = toJson(result.fields);
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    std::fflush(stdout);
    return 0;
}

} // namespace quelto::weblookup
