#pragma once

#include <QRect>
#include <QUrl>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QWebEngineProfile;
class QWebEngineView;

namespace quelto::editing {
struct RecordForm;
class UserPrompts;
} // namespace quelto::editing
namespace quelto::weblookup {
class LookupWorkflow;
}

namespace quelto::weblookup {

// The "IMDb" tab: the browser pane WebBrowser1 and the buttons of the web
// lookup above it. The lookup workflow runs the buttons; this class places
// them and lets the user choose the movie site's server ("Site..."). Above
// the page an address field shows where the pane is and takes an address to
// go to (Enter; http and https only; Ctrl+L reaches it), beside Reload (F5).
class LookupTab : public QWidget
{
    Q_OBJECT
public:
    LookupTab(editing::RecordForm& form, editing::UserPrompts& prompts, QWidget* parent = nullptr);
    ~LookupTab() override;

    weblookup::LookupWorkflow& workflow() const { return *m_workflow; }

    QWebEngineView* browser() const { return m_browser; }
    // The browser's profile: its cookies go with the program's own downloads.
    QWebEngineProfile* profile() const { return m_profile; }
    QPushButton* command1() const { return m_command1; }
    QPushButton* srchIMDB() const { return m_srchIMDB; }
    QPushButton* searchbtn() const { return m_searchbtn; }
    QPushButton* command2() const { return m_command2; }
    QPushButton* grabit() const { return m_grabit; }
    QLabel* titlelabel() const { return m_titlelabel; }
    QPushButton* siteButton() const { return m_site; }
    QLineEdit* addressField() const { return m_address; }
    QPushButton* reloadButton() const { return m_reload; }

    // What the address field takes: a web address typed as people do
    // ("www.imdb.com/title/tt0062622"), or an IMDb ID ("tt0062622") for its
    // title page on movieSite; an empty URL for anything else.
    static QUrl typedAddress(const QString& text, const QUrl& movieSite = {});

    // Scheme and host of the movie site; an empty URL keeps the pane blank.
    void setServer(const QUrl& server);
    QUrl server() const;
    // The site's address for a path such as "/search".
    QUrl address(const QString& pathAndQuery) const;
    void goHome();

    // "Site...": asks for the server, tells it to be stored and shows its home page.
    void chooseSite();

    // Places the browser pane, in the coordinates of the tab control that
    // holds this page; the buttons take the strip above it.
    void setBrowserArea(const QRect& inTabControl);

protected:
    void resizeEvent(QResizeEvent* event) override;

signals:
    // The user chose another movie site's server with "Site...".
    void siteChosen(const QUrl& server);

private:
    void placeChildren();
    void goToTyped();

    QWebEngineProfile* m_profile;
    QWebEngineView* m_browser;
    QWidget* m_bar;
    QPushButton* m_command1;
    QPushButton* m_srchIMDB;
    QPushButton* m_searchbtn;
    QPushButton* m_command2;
    QPushButton* m_grabit;
    QLabel* m_titlelabel;
    QPushButton* m_site;
    QWidget* m_addressRow;
    QLineEdit* m_address;
    QPushButton* m_reload;
    editing::UserPrompts& m_prompts;
    weblookup::LookupWorkflow* m_workflow;
    QRect m_area;
};

} // namespace quelto::weblookup
