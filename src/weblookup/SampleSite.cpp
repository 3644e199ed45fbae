#include "weblookup/SampleSite.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>

namespace quelto::weblookup {
namespace {

using Movie = SampleSite::Movie;

QString esc(const QString& text) { return text.toHtmlEscaped(); }

// The title as it goes into a link's query.
QString linkText(const QString& title) { return QString::fromLatin1(QUrl::toPercentEncoding(title, "()'")); }

const QString Style = QStringLiteral(R"(
body { margin: 0; font-family: "DejaVu Sans", Arial, sans-serif; font-size: 14px; background: #f4f1ea; color: #222; }
header { background: #2b2d42; color: #f4f1ea; padding: 10px 18px; }
header b { font-size: 18px; letter-spacing: 1px; color: #f2c14e; }
header a { color: #f4f1ea; margin-left: 16px; }
main { padding: 12px 18px; max-width: 760px; }
h1 { font-size: 22px; margin: 6px 0 12px; }
.poster { float: right; margin: 0 0 10px 16px; border: 1px solid #999; }
.item { margin: 6px 0; }
.label { font-weight: bold; color: #555; }
.list div { margin-left: 14px; }
.links a { margin-right: 14px; }
footer { color: #777; font-size: 12px; padding: 10px 18px; }
)");

QByteArray page(const QString& title, const QString& content)
{
    return QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title><style>%2</style></head>"
                          "<body><header><b>REEL ARCHIVE</b> <a href=\"/\">Home</a><a href=\"/search\">Search</a></header>"
                          "<main>%3</main><footer>Sample pages for trying the web lookup offline.</footer></body></html>\n")
        .arg(esc(title), Style, content)
        .toUtf8();
}

QString item(const QString& label, const QString& value)
{
    return QStringLiteral("<div class=\"item\"><div class=\"label\">%1</div><div>%2</div></div>").arg(esc(label), esc(value));
}

QString listItem(const QString& label, const QStringList& values)
{
    QString html = QStringLiteral("<div class=\"item\"><div class=\"label\">%1</div><div class=\"list\">").arg(esc(label));
    for (const QString& value : values)
        html += QStringLiteral("<div>%1</div>").arg(esc(value));
    return html + QStringLiteral("</div></div>");
}

QList<Movie> makeMovies()
{
    QList<Movie> m;
    // Several genres on one line, more than six cast members, roles after dots.
    m << Movie{QStringLiteral("tt9000101"), QStringLiteral("The Lighthouse Keeper (1956)"), QStringLiteral("Agnes Morrow"),
               QStringLiteral("Drama / Romance / Mystery"), QStringLiteral("United Kingdom"), QStringLiteral("English"),
               QStringLiteral("Black and White"), QStringLiteral("Mono"), QStringLiteral("7.4/10 (1,204 votes)"),
               QStringLiteral("A keeper on a northern rock takes in a stranger washed up by a storm."),
               {QStringLiteral("Agnes Morrow (screenplay)"), QStringLiteral("Harold Quill (novel)")},
               {},
               {{QStringLiteral("Edwin Marsh"), QStringLiteral("Tobias Wren")},
                {QStringLiteral("Clara Vane"), QStringLiteral("Elsie Wren")},
                {QStringLiteral("Rupert Dane"), QStringLiteral("The Inspector")},
                {QStringLiteral("Mabel Fitch"), QStringLiteral("Mrs. Pike")},
                {QStringLiteral("Owen Hale"), QStringLiteral("Fisherman")},
                {QStringLiteral("Ivy Locke"), QStringLiteral("Nurse")},
                {QStringLiteral("Silas Brand"), QStringLiteral("Doctor Crane")},
                {QStringLiteral("Nora Quint"), QStringLiteral("Schoolteacher")}},
               {QStringLiteral("Leonard Ash .... producer")},
               QStringLiteral("Felix Harlow"),
               {QStringLiteral("Harbourlight Pictures"), QStringLiteral("Northgate Films")}};
    // An apostrophe in the title; a "Casting By" line before the cast; names without roles.
    m << Movie{QStringLiteral("tt9000102"), QStringLiteral("Grandma's Last Heist (1987)"), QStringLiteral("Dario Benedetti"),
               QStringLiteral("Comedy / Crime"), QStringLiteral("USA"), QStringLiteral("English"), QStringLiteral("Color"),
               QStringLiteral("Dolby Stereo"), QStringLiteral("6.1/10 (873 votes)"),
               QStringLiteral("A retired safecracker plans one more job with her knitting circle."),
               {QStringLiteral("Pam Okafor")},
               QStringLiteral("Judith Nolan"),
               {{QStringLiteral("Rosalind Keyes"), {}},
                {QStringLiteral("Tom Brattle"), {}},
                {QStringLiteral("Lucy Fenn"), {}},
                {QStringLiteral("Marcus Odell"), {}},
                {QStringLiteral("Hattie Crane"), {}},
                {QStringLiteral("Gus Mendez"), {}}},
               {QStringLiteral("Barry Lomax")},
               QStringLiteral("The Velvet Tones"),
               {QStringLiteral("Silver Thimble Productions")}};
    // A parenthesised note before the country; a "Produced by" line after three names.
    m << Movie{QStringLiteral("tt9000103"), QStringLiteral("Harbour of Ashes (1949)"), QStringLiteral("Matteo Ruggeri"),
               QStringLiteral("War"), QStringLiteral("(co-production) Italy"), QStringLiteral("Italian"),
               QStringLiteral("Black and White"), QStringLiteral("Mono"), QStringLiteral("8.0/10 (2,311 votes)"),
               QStringLiteral("A port town waits for the ships that left before the armistice."),
               {QStringLiteral("Matteo Ruggeri (story)")},
               {},
               {{QStringLiteral("Lia Moretti"), QStringLiteral("Anna")},
                {QStringLiteral("Bruno Sala"), QStringLiteral("Pietro")},
                {QStringLiteral("Enzo Ferri"), QStringLiteral("The Captain")}},
               {QStringLiteral("Carlo Vitti")},
               QStringLiteral("Nino Albani"),
               {QStringLiteral("Cinefaro Roma")}};
    // No rating yet.
    m << Movie{QStringLiteral("tt9000104"), QStringLiteral("Static on Channel Nine (2003)"), QStringLiteral("Kenji Arakawa"),
               QStringLiteral("Horror"), QStringLiteral("Japan"), QStringLiteral("Japanese"), QStringLiteral("Color"),
               QStringLiteral("DTS"), {},
               QStringLiteral("Late at night an abandoned station goes back on the air."),
               {QStringLiteral("Yumi Sato")},
               {},
               {{QStringLiteral("Aiko Mori"), QStringLiteral("Reporter")},
                {QStringLiteral("Daichi Ono"), QStringLiteral("Engineer")},
                {QStringLiteral("Rina Kudo"), QStringLiteral("Night Caller")},
                {QStringLiteral("Sho Imai"), QStringLiteral("Guard")},
                {QStringLiteral("Emi Hara"), QStringLiteral("The Girl")}},
               {QStringLiteral("Takeshi Endo")},
               QStringLiteral("Hiro Tanabe"),
               {QStringLiteral("Nightfall Eizo"), QStringLiteral("Kanto Broadcast Pictures")}};
    // A title that starts with digits; seven cast members without roles.
    m << Movie{QStringLiteral("tt9000105"), QStringLiteral("2040 Overdrive (2012)"), QStringLiteral("Sylvie Marchand"),
               QStringLiteral("Action / Sci-Fi"), QStringLiteral("Canada"), QStringLiteral("French"), QStringLiteral("Color"),
               QStringLiteral("Dolby Digital"), QStringLiteral("5.2/10 (45 votes)"),
               QStringLiteral("Couriers race self-driving freight across a frozen continent."),
               {QStringLiteral("Sylvie Marchand"), QStringLiteral("Paul Giroux")},
               {},
               {{QStringLiteral("Julien Roy"), {}},
                {QStringLiteral("Ana Tremblay"), {}},
                {QStringLiteral("Victor Hale"), {}},
                {QStringLiteral("Maya Lin Chow"), {}},
                {QStringLiteral("Etienne Paré"), {}},
                {QStringLiteral("Bea Novak"), {}},
                {QStringLiteral("Rafael Ortiz"), {}}},
               {QStringLiteral("Louise Côté")},
               QStringLiteral("Nordlicht"),
               {QStringLiteral("Polar Drive Media"), QStringLiteral("Boréal Films")}};
    return m;
}

QByteArray homePage(const QList<Movie>& movies)
{
    QString content = QStringLiteral("<h1>Welcome</h1><p>Find a movie with the <a href=\"/search\">search page</a>, "
                                     "or open one of these:</p><ul>");
    for (const Movie& movie : movies)
        content += QStringLiteral("<li><a href=\"/title/%1/\">%2</a></li>").arg(movie.id, esc(movie.title));
    return page(QStringLiteral("Reel Archive"), content + QStringLiteral("</ul>"));
}

QByteArray searchPage()
{
    return page(QStringLiteral("Reel Archive Search"),
                QStringLiteral("<h1>Search</h1><form action=\"/M/title-substring\" method=\"get\">"
                               "<label>Title <input name=\"title\" size=\"40\" autofocus></label>"
                               "<input type=\"hidden\" name=\"tv\" value=\"both\"> <input type=\"submit\" value=\"Find\">"
                               "</form>"));
}

QByteArray resultPage(const QList<Movie>& movies, const QString& wanted)
{
    QString content = QStringLiteral("<h1>Titles matching \"%1\"</h1>").arg(esc(wanted));
    QString list;
    for (const Movie& movie : movies) {
        if (!wanted.isEmpty() && movie.title.contains(wanted, Qt::CaseInsensitive))
            list += QStringLiteral("<li><a href=\"/title/%1/\">%2</a></li>").arg(movie.id, esc(movie.title));
    }
    content += list.isEmpty() ? QStringLiteral("<p>No titles found.</p>") : QStringLiteral("<ol>%1</ol>").arg(list);
    return page(QStringLiteral("Title search"), content);
}

QByteArray titleHtml(const Movie& movie, bool links)
{
    QString content = QStringLiteral("<img class=\"poster\" src=\"/poster/%1.svg\" width=\"120\" height=\"180\" alt=\"\">"
                                     "<h1>%2</h1>")
                          .arg(movie.id, esc(movie.title));
    content += item(QStringLiteral("Directed by"), movie.director);
    content += item(QStringLiteral("Genre:"), movie.genre);
    content += item(QStringLiteral("Plot:"), movie.plot);
    content += item(QStringLiteral("Runtime:"), movie.runtime);
    content += item(QStringLiteral("Country:"), movie.country);
    content += item(QStringLiteral("Language:"), movie.language);
    content += item(QStringLiteral("Color:"), movie.color);
    content += item(QStringLiteral("Sound Mix:"), movie.soundMix);
    if (links)
        content += QStringLiteral("<p class=\"links\"><a href=\"/Credits?%1\">Full credits</a>"
                                  "<a href=\"/Companies?%1\">Company credits</a></p>")
                       .arg(linkText(movie.title));
    // Last on the page: the rating reads up to the first ")" after it, and a
    // page without votes must hold no digit after "Rating:".
    content += item(QStringLiteral("User Rating:"), movie.rating.isEmpty() ? QStringLiteral("awaiting five votes") : movie.rating);
    return page(movie.title, content);
}

QByteArray creditsPage(const Movie& movie)
{
    QString content = QStringLiteral("<h1>%1</h1><p>Full credits</p>").arg(esc(movie.title));
    content += item(QStringLiteral("Directed by"), movie.director);
    content += listItem(QStringLiteral("Written by"), movie.writers);
    if (!movie.castingBy.isEmpty())
        content += item(QStringLiteral("Casting By"), movie.castingBy);
    QStringList cast;
    for (const SampleSite::CastMember& member : movie.cast)
        cast << (member.role.isEmpty() ? member.name : member.name + QStringLiteral(" .... ") + member.role);
    content += listItem(QStringLiteral("Cast (in credits order)"), cast);
    content += listItem(QStringLiteral("Produced by"), movie.producers);
    content += item(QStringLiteral("Original Music by"), movie.music);
    return page(movie.title + QStringLiteral(" - Full credits"), content);
}

QByteArray companiesPage(const Movie& movie)
{
    QString content = QStringLiteral("<h1>%1</h1><p>Company credits</p>").arg(esc(movie.title));
    content += listItem(QStringLiteral("Production Companies"), movie.companies);
    content += listItem(QStringLiteral("Distributors"), {QStringLiteral("Reel Archive Classics (all media)")});
    return page(movie.title + QStringLiteral(" - Company credits"), content);
}

// The page with an empty main part that its script fills once the document
// has been read.
QByteArray scriptedPage(const QByteArray& html)
{
    const QString text = QString::fromUtf8(html);
    const qsizetype from = text.indexOf(QLatin1String("<main>")) + 6;
    const qsizetype to = text.indexOf(QLatin1String("</main>"));
    const QByteArray content = QJsonDocument(QJsonArray{text.mid(from, to - from)}).toJson(QJsonDocument::Compact);
    return (text.left(from) + text.mid(to)).toUtf8().replace(
        "</body>", "<script>document.addEventListener('DOMContentLoaded', function () { "
                       "document.querySelector('main').innerHTML = " + content + "[0]; });</script></body>");
}

QByteArray poster(const Movie& movie)
{
    return QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"120\" height=\"180\" viewBox=\"0 0 120 180\">"
                          "<rect width=\"120\" height=\"180\" fill=\"#2b2d42\"/><rect x=\"8\" y=\"8\" width=\"104\" "
                          "height=\"164\" fill=\"none\" stroke=\"#f2c14e\" stroke-width=\"2\"/>"
                          "<text x=\"60\" y=\"95\" fill=\"#f4f1ea\" font-size=\"11\" text-anchor=\"middle\" "
                          "textLength=\"96\" lengthAdjust=\"spacingAndGlyphs\">%1</text></svg>")
        .arg(esc(movie.title.section(QLatin1String(" ("), 0, 0)))
        .toUtf8();
}

// The value of key in a query as a form sends it: "+" for a space, the rest
// percent-encoded.
QString formValue(const QByteArray& query, const QByteArray& key)
{
    for (const QByteArray& pair : query.split('&')) {
        const qsizetype eq = pair.indexOf('=');
        if (eq >= 0 && pair.left(eq) == key) {
            QByteArray value = pair.mid(eq + 1);
            value.replace('+', ' ');
            return QString::fromUtf8(QByteArray::fromPercentEncoding(value));
        }
    }
    return {};
}

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

const QByteArray NotFound = QByteArrayLiteral("<!DOCTYPE html><html><head><title>Not found</title></head>"
                                              "<body><h1>Not found</h1></body></html>\n");

} // namespace

const QList<Movie>& SampleSite::movies()
{
    static const QList<Movie> all = makeMovies();
    return all;
}

const Movie* SampleSite::movie(const QString& title)
{
    for (const Movie& movie : movies()) {
        if (movie.title == title)
            return &movie;
    }
    return nullptr;
}

SampleSite::SampleSite(QObject* parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

SampleSite::~SampleSite() = default;

bool SampleSite::listen(quint16 port) { return m_server->listen(QHostAddress::LocalHost, port); }

quint16 SampleSite::port() const { return m_server->serverPort(); }

QUrl SampleSite::root() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port())); }

QUrl SampleSite::titlePage(const Movie& movie) const
{
    return QUrl(root().toString() + QStringLiteral("/title/%1/").arg(movie.id));
}

void SampleSite::readRequest(QTcpSocket* socket)
{
    // Only the request line matters; wait for the end of the headers.
    QByteArray received = socket->property("received").toByteArray() + socket->readAll();
    socket->setProperty("received", received);
    if (!received.contains("\r\n\r\n") || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);

    const QList<QByteArray> requestLine = received.left(received.indexOf("\r\n")).split(' ');
    QByteArray rawTarget = requestLine.value(1);
    // A proxy's request names the whole address: keep its path and query.
    if (rawTarget.startsWith("http://")) {
        const qsizetype slash = rawTarget.indexOf('/', 7);
        rawTarget = slash < 0 ? QByteArray("/") : rawTarget.mid(slash);
    }
    const QString target = QUrl::fromPercentEncoding(rawTarget);
    if (target != u"/favicon.ico") {
        m_requests << target;
        emit requested(target);
    }
    for (const QString& prefix : std::as_const(m_held)) {
        if (target.startsWith(prefix)) {
            m_waiting.append({QPointer<QTcpSocket>(socket), target, rawTarget});
            return;
        }
    }
    send(socket, respond(target, rawTarget));
}

void SampleSite::release()
{
    m_held.clear();
    const auto waiting = std::exchange(m_waiting, {});
    for (const Waiting& w : waiting) {
        if (w.socket && w.socket->state() == QAbstractSocket::ConnectedState)
            send(w.socket, respond(w.target, w.rawTarget));
    }
}

void SampleSite::addPage(const QString& path, const QByteArray& html, Policy policy)
{
    m_pages.insert(withoutTrailingSlash(path), html);
    if (policy == Policy::Live)
        m_livePages.insert(withoutTrailingSlash(path));
    else
        m_livePages.remove(withoutTrailingSlash(path));
}

SampleSite::Response SampleSite::respond(const QString& target, const QByteArray& rawTarget)
{
    Response r;
    for (auto it = m_redirects.cbegin(); it != m_redirects.cend(); ++it) {
        if (target.startsWith(it.key())) {
            r.status = 302;
            r.location = it.value().toString(QUrl::FullyEncoded).toUtf8();
            r.body = "<html><body>Moved</body></html>";
            return r;
        }
    }
    for (const QString& prefix : m_refused) {
        if (target.startsWith(prefix)) {
            r.status = 404;
            r.body = NotFound;
            return r;
        }
    }
    const qsizetype mark = target.indexOf(QLatin1Char('?'));
    const QString path = mark < 0 ? target : target.left(mark);
    const QString query = mark < 0 ? QString() : target.mid(mark + 1);

    if (const auto saved = m_pages.constFind(withoutTrailingSlash(path)); saved != m_pages.cend()) {
        r.body = *saved;
        // The page as its server rendered it: its scripts do not run, and
        // nothing is fetched from the real site (images, fonts, styles).
        if (!m_livePages.contains(withoutTrailingSlash(path)))
            r.policy = "default-src 'self'; script-src 'none'; style-src 'self' 'unsafe-inline'; img-src 'self' data:";
    } else if (path == u"/") {
        r.body = homePage(movies());
    } else if (path == u"/search") {
        r.body = searchPage();
    } else if (path == u"/M/title-substring") {
        const qsizetype rawMark = rawTarget.indexOf('?');
        const QString wanted = rawMark < 0 ? QString() : formValue(rawTarget.mid(rawMark + 1), "title");
        m_searches << wanted;
        r.body = resultPage(movies(), wanted);
    } else if (path == u"/Credits" || path == u"/Companies") {
        if (const Movie* found = movie(query))
            r.body = path == u"/Credits" ? (m_scriptedCredits ? scriptedPage(creditsPage(*found)) : creditsPage(*found))
                                         : companiesPage(*found);
    } else if (path.startsWith(QLatin1String("/title/")) || path.startsWith(QLatin1String("/poster/"))) {
        const bool isPoster = path.startsWith(QLatin1String("/poster/"));
        const QString id = path.section(QLatin1Char('/'), 2, 2).section(QLatin1Char('.'), 0, 0);
        for (const Movie& movie : movies()) {
            if (movie.id != id)
                continue;
            if (isPoster) {
                r.type = "image/svg+xml";
                r.body = poster(movie);
            } else {
                r.body = titleHtml(movie, m_titlePageLinks);
            }
        }
    }
    if (r.body.isEmpty()) {
        r.status = 404;
        r.body = NotFound;
    }
    for (auto it = m_cookies.cbegin(); it != m_cookies.cend(); ++it) {
        if (target.startsWith(it.key()))
            r.cookie = it.value();
    }
    return r;
}

void SampleSite::send(QTcpSocket* socket, const Response& response)
{
    const QByteArray reason = response.status == 200 ? "OK" : (response.status == 302 ? "Found" : "Not Found");
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reason + "\r\n";
    if (!response.location.isEmpty())
        head += "Location: " + response.location + "\r\n";
    head += "Content-Type: " + response.type + "\r\n";
    head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    if (!response.policy.isEmpty())
        head += "Content-Security-Policy: " + response.policy + "\r\n";
    if (!response.cookie.isEmpty())
        head += "Set-Cookie: " + response.cookie + "\r\n";
    head += "Cache-Control: no-store\r\nConnection: close\r\n\r\n";
    socket->write(head + response.body);
    socket->disconnectFromHost();
}

} // namespace quelto::weblookup
