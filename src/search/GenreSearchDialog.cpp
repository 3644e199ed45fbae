#include "search/GenreSearchDialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelto::search {

GenreSearchDialog::GenreSearchDialog(QWidget* parent)
    : QDialog(parent),
      m_heading(new QLabel(this)),
      m_heading2(new QLabel(this)),
      m_combo(new QComboBox(this)),
      m_search(new QPushButton(QStringLiteral("Search"), this)),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("srchForm"));
    setWindowTitle(QStringLiteral("Search your database !"));
    setModal(true);
    m_heading->setObjectName(QStringLiteral("heading"));
    m_heading2->setObjectName(QStringLiteral("heading2"));
    m_combo->setObjectName(QStringLiteral("Combo1"));
    m_heading2->setBuddy(m_combo); // names the list for screen readers
    m_search->setObjectName(QStringLiteral("Search"));
    m_cancel->setObjectName(QStringLiteral("cancel"));

    QFont bold = m_heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    m_heading->setFont(bold);
    m_search->setDefault(true);
    m_combo->setEditable(false);
    m_combo->setMinimumWidth(220);
    m_combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    auto* choice = new QHBoxLayout;
    choice->addWidget(m_heading2);
    choice->addWidget(m_combo, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_search);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addSpacing(6);
    layout->addLayout(choice);
    layout->addSpacing(6);
    layout->addLayout(buttons);
}

void GenreSearchDialog::reject() { m_cancel->click(); }

} // namespace quelto::search
