#include "collection/CoverDownload.h"

#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace quelto::collection {
namespace {

QString shown(const QUrl& url) { return url.host().isEmpty() ? url.toDisplayString() : url.host(); }

QString megabytes(qint64 bytes) { return QLocale().toString(double(bytes) / (1024.0 * 1024.0), 'f', 1); }

QString tooLarge()
{
    return QStringLiteral("The poster is larger than %1 MB; Quelto takes covers of at most that size.")
        .arg(megabytes(CoverPicture::MaxSourceBytes));
}

} // namespace

CoverDownload::CoverDownload(QNetworkAccessManager& network, AddressCheck mayFetch, QObject* parent)
    : QObject(parent), m_network(network), m_mayFetch(std::move(mayFetch))
{
}

CoverDownload::~CoverDownload() { cancel(); }

bool CoverDownload::refusedScheme(const QUrl& to, QString* problem) const
{
    const QString scheme = to.scheme().toLower();
    if (!to.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) || to.host().isEmpty()) {
        *problem = QStringLiteral("The poster's address \"%1\" is no web address; no cover was fetched.")
                       .arg(to.toDisplayString());
        return true;
    }
    return false;
}

QString CoverDownload::localRefusal(const QUrl& to) const
{
    return QStringLiteral("The poster's address leads from %1 to %2, on this machine or its local network; "
                          "Quelto does not fetch it.")
        .arg(shown(m_from), shown(to));
}

bool CoverDownload::start(const QUrl& address, const QUrl& from)
{
    cancel();
    m_address = address;
    m_from = from;
    m_bytes.clear();
    const quint64 attempt = ++m_attempt;
    QString problem;
    if (refusedScheme(address, &problem)) {
        emit failed(problem, m_address);
        return false;
    }
    if (!m_mayFetch) {
        request();
        return true;
    }
    m_checking = true;
    m_mayFetch(m_from, address, this, [this, attempt, address](bool allowed) {
        if (attempt != m_attempt || !m_checking)
            return; // cancelled, or another fetch began meanwhile
        m_checking = false;
        if (allowed)
            request();
        else
            emit failed(localRefusal(address), m_address);
    });
    return true;
}

void CoverDownload::request()
{
    QNetworkRequest request(m_address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setTransferTimeout(m_timeoutMs);
    request.setRawHeader("Accept", "image/avif,image/webp,image/png,image/jpeg,image/*;q=0.8");
    if (m_from.isValid() && !m_from.isLocalFile())
        request.setRawHeader("Referer", m_from.toEncoded(QUrl::RemoveUserInfo | QUrl::RemoveFragment));
    m_reply = m_network.get(request);
    QNetworkReply* reply = m_reply;
    const quint64 attempt = m_attempt;
    connect(reply, &QNetworkReply::redirected, this, [this, reply, attempt](const QUrl& target) {
        QString refusal;
        if (refusedScheme(target, &refusal)) {
            fail(refusal);
            return;
        }
        if (!m_mayFetch) {
            emit reply->redirectAllowed();
            return;
        }
        // Every hop is judged by where its name leads, as the first one.
        QPointer<QNetworkReply> waiting = reply;
        m_mayFetch(m_from, target, this, [this, waiting, attempt, target](bool allowed) {
            if (!waiting || waiting != m_reply || attempt != m_attempt)
                return;
            if (allowed)
                emit waiting->redirectAllowed();
            else
                fail(localRefusal(target));
        });
    });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > CoverPicture::MaxSourceBytes)
            fail(tooLarge());
    });
    connect(reply, &QNetworkReply::readyRead, this, &CoverDownload::readChunk);
    connect(reply, &QNetworkReply::finished, this, &CoverDownload::done);
}

void CoverDownload::readChunk()
{
    if (!m_reply)
        return;
    m_bytes += m_reply->readAll();
    if (m_bytes.size() > CoverPicture::MaxSourceBytes)
        fail(tooLarge());
}

void CoverDownload::done()
{
    if (!m_reply)
        return;
    QNetworkReply* reply = m_reply;
    readChunk();
    if (!m_reply)
        return; // refused while reading the rest
    m_reply = nullptr;
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() == QNetworkReply::OperationCanceledError || reply->error() == QNetworkReply::TimeoutError) {
        // Only the transfer timeout ends a reply this way: a cancel leaves it unheard.
        emit failed(QStringLiteral("The poster from %1 timed out: nothing came for %2 s, so no cover was fetched.")
                        .arg(shown(m_address))
                        .arg(m_timeoutMs / 1000.0),
                    m_address);
        return;
    }
    // The program's proxy refuses a name that leads to the local network, or
    // that it cannot resolve, after this side's own check let it through
    // (the name answered otherwise then); it marks its refusals so.
    const QByteArray refused = reply->rawHeader("X-Quelto-Refused");
    if (refused == "local" || reply->error() == QNetworkReply::ProxyConnectionRefusedError) {
        emit failed(localRefusal(reply->url()), m_address);
        return;
    }
    if (refused == "unknown") {
        emit failed(QStringLiteral("The poster could not be fetched from %1: its name was not found.")
                        .arg(shown(reply->url())),
                    m_address);
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        const QString why = status >= 400 ? QStringLiteral("the site answered %1").arg(status) : reply->errorString();
        emit failed(QStringLiteral("The poster could not be fetched from %1: %2.").arg(shown(m_address), why),
                    m_address);
        return;
    }
    QString problem;
    std::optional<CoverPicture> picture = CoverPicture::prepare(m_bytes, &problem);
    m_bytes.clear();
    if (!picture) {
        emit failed(QStringLiteral("The poster from %1 is no cover: %2").arg(shown(m_address), problem), m_address);
        return;
    }
    emit finished(*picture, m_address);
}

void CoverDownload::fail(const QString& problem)
{
    if (!m_reply)
        return;
    cancel();
    emit failed(problem, m_address);
}

void CoverDownload::cancel()
{
    m_checking = false;
    if (!m_reply)
        return;
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
    m_bytes.clear();
}

} // namespace quelto::collection
