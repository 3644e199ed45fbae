#pragma once

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QUrl>

class QTcpServer;
class QTcpSocket;

namespace quelto::weblookup {

// A small movie site on the loopback interface, for tests and for trying the
// web lookup without the network. It serves a home page, a search page, the
// title search results, and for each of its movies a title page, a credits
// page and a companies page laid out with the markers the lookup reads:
//
//   /                                     home page, a list of the movies
//   /search                               the search form
//   /M/title-substring?title=T&tv=both    titles containing T (any case)
//   /title/<id>/                          title page; the document title is "Name (Year)"
//   /Credits?<title>                      credits page of the movie with that document title
//   /Companies?<title>                    companies page
//   /poster/<id>.svg                      a poster: a document without a body
//
// The title page shows the running time ("Runtime: 94 min") and the poster.
//
// Saved pages of real sites can be added under their own paths
// ("/title/tt0133093/"), to be grabbed as if from the site itself. The site
// also answers as a proxy ("GET http://host/path"), so that a browser told to
// use it as its proxy finds any host name here.
class SampleSite : public QObject
{
    Q_OBJECT
public:
    struct CastMember
    {
        QString name;
        QString role; // empty: the line holds the name alone
    };
    struct Movie
    {
        QString id;
        QString title; // with the year, as the document title
        QString director;
        QString genre; // the whole genre line
        QString country;
        QString language;
        QString color;
        QString soundMix;
        QString rating; // empty: no votes yet
        QString plot;
        QStringList writers;
        QString castingBy;
        QList<CastMember> cast;
        QStringList producers;
        QString music;
        QStringList companies;
        QString runtime = QStringLiteral("94 min"); // as the title page shows it
    };
    static const QList<Movie>& movies();
    static const Movie* movie(const QString& title);

    explicit SampleSite(QObject* parent = nullptr);
    ~SampleSite() override;

    // Listens on 127.0.0.1; port 0 picks a free one.
    bool listen(quint16 port = 0);
    quint16 port() const;
    // "http://127.0.0.1:port"
    QUrl root() const;
    QUrl titlePage(const Movie& movie) const;

    // The targets of the requests received, percent-decoded, oldest first
    // ("/Credits?Harbour of Ashes (1949)"). Requests for /favicon.ico are left out.
    const QStringList& requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }
    // The titles the title search was asked for, decoded as a form's values are.
    const QStringList& searches() const { return m_searches; }

    // Serves html at path (with or without a trailing "/", any query) ahead
    // of the site's own pages. A saved page comes with a policy that keeps
    // its scripts and everything of other sites out; a live one with none.
    enum class Policy
    {
        Saved,
        Live
    };
    void addPage(const QString& path, const QByteArray& html, Policy policy = Policy::Saved);

    // Whether the title pages link to their credits and companies pages
    // (they do unless told otherwise).
    void setTitlePageLinks(bool links) { m_titlePageLinks = links; }
    // Whether the credits pages are built by their script, as on sites that
    // render in the browser (they are not unless told).
    void setScriptedCredits(bool scripted) { m_scriptedCredits = scripted; }
    // Answers to requests whose decoded target starts with prefix set the
    // cookie ("name=value; Path=/").
    void setCookie(const QString& prefix, const QByteArray& setCookie) { m_cookies.insert(prefix, setCookie); }

    // Requests whose decoded target starts with prefix get no answer until
    // release() (a page that never completes).
    void hold(const QString& prefix) { m_held << prefix; }
    void release();
    // Requests whose decoded target starts with prefix are answered 404.
    void refuse(const QString& prefix) { m_refused << prefix; }
    // Requests whose decoded target starts with prefix are sent on to target
    // (302 Found), another server or another page.
    void redirect(const QString& prefix, const QUrl& target) { m_redirects.insert(prefix, target); }

signals:
    void requested(const QString& target);

private:
    struct Response
    {
        int status = 200;
        QByteArray type = "text/html; charset=utf-8";
        QByteArray body;
        QByteArray policy; // Content-Security-Policy, if any
        QByteArray location; // where a redirect sends the browser
        QByteArray cookie;   // Set-Cookie, if any
    };
    void readRequest(QTcpSocket* socket);
    Response respond(const QString& target, const QByteArray& rawTarget);
    static void send(QTcpSocket* socket, const Response& response);

    QTcpServer* m_server;
    QStringList m_requests;
    QStringList m_searches;
    QHash<QString, QByteArray> m_pages;
    QSet<QString> m_livePages;
    QStringList m_held;
    QStringList m_refused;
    QHash<QString, QUrl> m_redirects;
    bool m_titlePageLinks = true;
    bool m_scriptedCredits = false;
    QHash<QString, QByteArray> m_cookies;
    struct Waiting
    {
        QPointer<QTcpSocket> socket;
        QString target;
        QByteArray rawTarget;
    };
    QList<Waiting> m_waiting;
};

} // namespace quelto::weblookup
