#include "weblookup/LookupTab.h"

#include "editing/FormWidgets.h"
#include "editing/RecordForm.h"
#include "editing/UserPrompts.h"
#include "weblookup/BrowserProfile.h"
#include "weblookup/LookupWorkflow.h"
#include "weblookup/MovieSiteDialog.h"
#include "weblookup/TitleAddress.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QPushButton>
#include <QTabWidget>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace quelto::weblookup {
LookupTab::LookupTab(editing::RecordForm& form, editing::UserPrompts& prompts, QWidget* parent)
    : QWidget(parent), m_profile(weblookup::BrowserProfile::create(this)),
      m_browser(new QWebEngineView(this)), m_bar(new QWidget(this)), m_prompts(prompts)
{
    setObjectName(QStringLiteral("lookupTab"));
    m_browser->setObjectName(QStringLiteral("WebBrowser1"));
    // Both browsers keep the user's cookies and consent answers between runs.
    m_browser->setPage(new QWebEnginePage(m_profile, m_browser));

    m_command1 = editing::form::commandButton("Command1", QStringLiteral("IMDb Home"),
                                              QStringLiteral("Display the IMDb homepage"), m_bar);
    m_srchIMDB = editing::form::commandButton("srchIMDB", QStringLiteral("Search IMDb"),
                                              QStringLiteral("Open the IMDb search page"), m_bar);
    m_searchbtn = editing::form::commandButton("searchbtn", QStringLiteral("Search title"),
                                               QStringLiteral("Search for a movie in the IMDb"), m_bar);
    m_searchbtn->setEnabled(false);
    m_command2 = editing::form::commandButton("Command2", QStringLiteral("<<"), QString(), m_bar);
    m_command2->setFixedWidth(34);
    m_command2->setAccessibleName(QStringLiteral("Back"));
    m_grabit = editing::form::commandButton("grabit", QStringLiteral("Grab Data !"),
                                            QStringLiteral("Transfer movie data to the movie tab"), m_bar);
    m_grabit->setEnabled(false);
    m_titlelabel = new QLabel(m_bar);
    m_titlelabel->setObjectName(QStringLiteral("titlelabel"));
    m_titlelabel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_titlelabel->setTextFormat(Qt::PlainText);
    m_titlelabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_titlelabel->setAccessibleDescription(QStringLiteral("Title to search for"));
    m_site = editing::form::commandButton("siteButton", QStringLiteral("Site..."),
                                          QStringLiteral("Choose the server of the movie site"), m_bar);

    auto* row = new QHBoxLayout(m_bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    row->addWidget(m_command1);
    row->addWidget(m_srchIMDB);
    row->addSpacing(10);
    row->addWidget(m_command2);
    row->addWidget(m_titlelabel, 1);
    row->addWidget(m_searchbtn);
    row->addSpacing(10);
    row->addWidget(m_grabit);
    row->addSpacing(10);
    row->addWidget(m_site);

    form.titlelabel = m_titlelabel;
    form.searchbtn = m_searchbtn;

    weblookup::LookupControls controls;
    controls.WebBrowser1 = m_browser;
    controls.Command1 = m_command1;
    controls.srchIMDB = m_srchIMDB;
    controls.searchbtn = m_searchbtn;
    controls.Command2 = m_command2;
    controls.grabit = m_grabit;
    controls.titlelabel = m_titlelabel;
    m_workflow = new weblookup::LookupWorkflow(controls, form, prompts, this);
    connect(m_site, &QPushButton::clicked, this, &LookupTab::chooseSite);

    // The address of the page on show, and Reload.
    m_addressRow = new QWidget(this);
    m_address = new QLineEdit(m_addressRow);
    m_address->setObjectName(QStringLiteral("address"));
    m_address->setAccessibleName(QStringLiteral("Address"));
    m_address->setPlaceholderText(QStringLiteral("Address of a page (Ctrl+L), Enter to go there"));
    m_address->setClearButtonEnabled(true);
    m_reload = editing::form::commandButton("reload", QStringLiteral("Reload"),
                                            QStringLiteral("Load the page again (F5)"), m_addressRow);
    auto* addressLine = new QHBoxLayout(m_addressRow);
    addressLine->setContentsMargins(0, 0, 0, 0);
    addressLine->setSpacing(4);
    addressLine->addWidget(m_address, 1);
    addressLine->addWidget(m_reload);
    connect(m_address, &QLineEdit::returnPressed, this, &LookupTab::goToTyped);
    connect(m_reload, &QPushButton::clicked, m_browser, &QWebEngineView::reload);
    connect(m_browser, &QWebEngineView::urlChanged, m_address, [this](const QUrl& url) {
        if (!m_address->hasFocus() || !m_address->isModified()) {
            m_address->setText(url.isEmpty() || url.toString() == QLatin1String("about:blank") ? QString()
                                                                                             : url.toDisplayString());
            m_address->setModified(false);
        }
    });
    auto* reloadKey = new QShortcut(QKeySequence(Qt::Key_F5), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(reloadKey, &QShortcut::activated, m_reload, &QPushButton::click);
    auto* addressKey =
        new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(addressKey, &QShortcut::activated, m_address, [this] {
        m_address->setFocus(Qt::ShortcutFocusReason);
        m_address->selectAll();
    });
}

QUrl LookupTab::typedAddress(const QString& text, const QUrl& movieSite)
{
    return TitleAddress::fromTyped(text, movieSite);
}

void LookupTab::goToTyped()
{
    const QUrl url = typedAddress(m_address->text(), server());
    if (url.isEmpty()) {
        m_address->selectAll(); // not a web address: left for the user to mend
        return;
    }
    m_address->setModified(false);
    m_browser->setUrl(url);
    m_browser->setFocus(Qt::OtherFocusReason);
}

LookupTab::~LookupTab()
{
    // The engine wants every page gone before their profile.
    delete m_workflow;
    delete m_browser;
    delete m_profile;
}

void LookupTab::setServer(const QUrl& server)
{
    m_workflow->setSite(weblookup::MovieSite(server));
}

QUrl LookupTab::server() const
{
    const QString root = m_workflow->site().root();
    return root.isEmpty() ? QUrl() : QUrl(root);
}

QUrl LookupTab::address(const QString& pathAndQuery) const
{
    return m_workflow->site().address(pathAndQuery);
}

void LookupTab::goHome()
{
    m_workflow->goHome();
}

void LookupTab::chooseSite()
{
    MovieSiteDialog dialog(server().isEmpty() ? QUrl(weblookup::MovieSite::PublicAddress) : server(), this);
    m_prompts.showModal(dialog);
    if (!dialog.chosen())
        return;
    emit siteChosen(*dialog.chosen());
    setServer(*dialog.chosen());
    goHome();
}

void LookupTab::setBrowserArea(const QRect& inTabControl)
{
    m_area = inTabControl;
    placeChildren();
}

void LookupTab::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeChildren();
}

void LookupTab::placeChildren()
{
    // The page sits inside the tab control below its tab bar.
    QPoint offset;
    for (QWidget* w = this; w && !qobject_cast<QTabWidget*>(w); w = w->parentWidget())
        offset += w->pos();
    QRect pane = m_area.translated(-offset);
    pane.setLeft(std::max(0, pane.left()));
    pane.setTop(std::max(0, pane.top()));
    // The address row at the top of the pane, the page below it.
    const int addressHeight = m_addressRow->sizeHint().height();
    m_addressRow->setGeometry(pane.left(), pane.top(), std::max(0, pane.width()), addressHeight);
    m_browser->setGeometry(pane.adjusted(0, addressHeight + 4, 0, 0));

    const int barHeight = m_bar->sizeHint().height();
    const int barTop = std::max(0, (pane.top() - barHeight) / 2);
    m_bar->setGeometry(pane.left(), barTop, std::max(0, pane.width()), barHeight);
}

} // namespace quelto::weblookup
