#pragma once

#include <QRect>
#include <QUrl>
#include <QWidget>

class QLabel;
class QPushButton;
class QWebEngineView;

namespace quelto::editing {
struct RecordForm;
}

namespace quelto::app {

// The "IMDb" tab: the browser pane WebBrowser1 and the buttons of the web
// lookup above it. The buttons' commands are connected by the lookup; this
// class only places them and knows the movie site's server.
class LookupTab : public QWidget
{
    Q_OBJECT
public:
    // The server used when none is configured.
    static inline const QString DefaultServer = QStringLiteral("https://www.imdb.com");

    LookupTab(editing::RecordForm& form, QWidget* parent = nullptr);

    QWebEngineView* browser() const { return m_browser; }
    QPushButton* command1() const { return m_command1; }
    QPushButton* srchIMDB() const { return m_srchIMDB; }
    QPushButton* searchbtn() const { return m_searchbtn; }
    QPushButton* command2() const { return m_command2; }
    QPushButton* grabit() const { return m_grabit; }
    QLabel* titlelabel() const { return m_titlelabel; }

    // Scheme and host of the movie site; an empty URL keeps the pane blank.
    void setServer(const QUrl& server) { m_server = server; }
    const QUrl& server() const { return m_server; }
    // The site's address for a path such as "/search".
    QUrl address(const QString& pathAndQuery) const;
    void goHome();

    // Places the browser pane, in the coordinates of the tab control that
    // holds this page; the buttons take the strip above it.
    void setBrowserArea(const QRect& inTabControl);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeChildren();

    QWebEngineView* m_browser;
    QWidget* m_bar;
    QPushButton* m_command1;
    QPushButton* m_srchIMDB;
    QPushButton* m_searchbtn;
    QPushButton* m_command2;
    QPushButton* m_grabit;
    QLabel* m_titlelabel;
    QUrl m_server;
    QRect m_area;
};

} // namespace quelto::app
