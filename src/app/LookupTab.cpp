#include "app/LookupTab.h"

#include "editing/RecordForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QWebEngineView>

namespace quelto::app {
namespace {

QPushButton* button(const char* name, const QString& text, const QString& tip, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

} // namespace

LookupTab::LookupTab(editing::RecordForm& form, QWidget* parent)
    : QWidget(parent), m_browser(new QWebEngineView(this)), m_bar(new QWidget(this))
{
    setObjectName(QStringLiteral("lookupTab"));
    m_browser->setObjectName(QStringLiteral("WebBrowser1"));

    m_command1 = button("Command1", QStringLiteral("IMDb Home"), QStringLiteral("Display the IMDb homepage"), m_bar);
    m_srchIMDB = button("srchIMDB", QStringLiteral("Search IMDb"), QStringLiteral("Open the IMDb search page"), m_bar);
    m_searchbtn = button("searchbtn", QStringLiteral("Search title"), QStringLiteral("Search for a movie in the IMDb"), m_bar);
    m_searchbtn->setEnabled(false);
    m_command2 = button("Command2", QStringLiteral("<<"), QString(), m_bar);
    m_command2->setFixedWidth(34);
    m_grabit = button("grabit", QStringLiteral("Grab Data !"), QStringLiteral("Transfer movie data to the movie tab"), m_bar);
    m_grabit->setEnabled(false);
    m_titlelabel = new QLabel(m_bar);
    m_titlelabel->setObjectName(QStringLiteral("titlelabel"));
    m_titlelabel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_titlelabel->setTextFormat(Qt::PlainText);
    m_titlelabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

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

    form.titlelabel = m_titlelabel;
    form.searchbtn = m_searchbtn;
}

QUrl LookupTab::address(const QString& pathAndQuery) const
{
    if (m_server.isEmpty())
        return {};
    // The user's text goes into the address unchanged.
    return QUrl(m_server.toString(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::StripTrailingSlash) + pathAndQuery,
                QUrl::TolerantMode);
}

void LookupTab::goHome()
{
    const QUrl home = address(QStringLiteral("/"));
    if (!home.isEmpty())
        m_browser->setUrl(home);
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
    m_browser->setGeometry(pane);

    const int barHeight = m_bar->sizeHint().height();
    const int barTop = std::max(0, (pane.top() - barHeight) / 2);
    m_bar->setGeometry(pane.left(), barTop, std::max(0, pane.width()), barHeight);
}

} // namespace quelto::app
