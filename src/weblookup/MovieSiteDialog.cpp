#include "weblookup/MovieSiteDialog.h"

#include "weblookup/MovieSite.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelto::weblookup {

using weblookup::MovieSite;

MovieSiteDialog::MovieSiteDialog(const QUrl& current, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("siteDialog"));
    setWindowTitle(QStringLiteral("Movie Site"));

    auto* intro = new QLabel(QStringLiteral("Server of the movie site (scheme and host):"), this);
    m_address = new QLineEdit(current.toString(), this);
    m_address->setObjectName(QStringLiteral("siteAddress"));
    m_address->setMinimumWidth(320);
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("siteProblem"));
    m_problem->setStyleSheet(QStringLiteral("color: #b00000"));
    m_problem->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setObjectName(QStringLiteral("siteOk"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("siteCancel"));
    m_public = buttons->addButton(QStringLiteral("Public Site"), QDialogButtonBox::ResetRole);
    m_public->setObjectName(QStringLiteral("publicSite"));
    m_public->setToolTip(MovieSite::PublicAddress);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_address);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);

    connect(m_public, &QPushButton::clicked, this, [this] { m_address->setText(MovieSite::PublicAddress); });
    connect(buttons, &QDialogButtonBox::accepted, this, &MovieSiteDialog::tryAccept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void MovieSiteDialog::tryAccept()
{
    const std::optional<QUrl> server = MovieSite::parseServer(m_address->text());
    if (!server) {
        m_problem->setText(QStringLiteral("Enter an http or https address with a host name."));
        m_problem->show();
        return;
    }
    m_chosen = server;
    accept();
}

} // namespace quelto::weblookup
