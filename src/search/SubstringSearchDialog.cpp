#include "search/SubstringSearchDialog.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelto::search {

SubstringSearchDialog::SubstringSearchDialog(QWidget* parent)
    : QDialog(parent),
      m_heading(new QLabel(QStringLiteral("Search movies by director"), this)),
      m_heading2(new QLabel(QStringLiteral("Enter substring "), this)),
      m_srchString(new QLineEdit(this)),
      m_what(new QLabel(this)),
      m_hidden(new QLabel(this)),
      m_cmdSearch(new QPushButton(QStringLiteral("Search"), this)),
      m_cmdCancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("srchForm2"));
    setWindowTitle(QStringLiteral("Search your database !"));
    setModal(true);
    m_heading->setObjectName(QStringLiteral("heading"));
    m_heading2->setObjectName(QStringLiteral("heading2"));
    m_srchString->setObjectName(QStringLiteral("srchString"));
    m_heading2->setBuddy(m_srchString); // names the field for screen readers
    m_what->setObjectName(QStringLiteral("what"));
    m_hidden->setObjectName(QStringLiteral("hidden"));
    m_cmdSearch->setObjectName(QStringLiteral("cmdSearch"));
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_what->hide();
    m_hidden->hide();

    QFont bold = m_heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    m_heading->setFont(bold);
    m_cmdSearch->setDefault(true);
    m_srchString->setMinimumWidth(260);

    auto* entry = new QHBoxLayout;
    entry->addWidget(m_heading2);
    entry->addWidget(m_srchString, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdSearch);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addSpacing(6);
    layout->addLayout(entry);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

void SubstringSearchDialog::reject() { m_cmdCancel->click(); }

} // namespace quelto::search
