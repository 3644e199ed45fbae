#include "collection/TapeRoomDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelto::collection {

TapeRoomDialog::TapeRoomDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("tapeRoomDialog"));
    setWindowTitle(QStringLiteral("Tapes with Room"));
    m_minutes = new QLineEdit(this);
    m_minutes->setObjectName(QStringLiteral("roomMinutes"));
    m_minutes->setPlaceholderText(QStringLiteral("95, or 1:35"));
    m_speed = new QComboBox(this);
    m_speed->setObjectName(QStringLiteral("roomSpeed"));
    m_speed->addItem(QStringLiteral("at any speed the tape has"), QString());
    m_speed->addItem(QStringLiteral("at SP"), QStringLiteral("SP"));
    m_speed->addItem(QStringLiteral("at LP"), QStringLiteral("LP"));
    m_speed->addItem(QStringLiteral("at EP"), QStringLiteral("EP"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Room for a movie of (&minutes)"), m_minutes);
    form->addRow(QStringLiteral("Recorded"), m_speed);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_search = buttons->addButton(QStringLiteral("&Search"), QDialogButtonBox::AcceptRole);
    m_search->setObjectName(QStringLiteral("roomSearch"));
    m_search->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Lists the tapes with a known length on which a movie of this running "
                                                "time still fits."),
                                 this));
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString TapeRoomDialog::chosenSpeed() const { return m_speed->currentData().toString(); }

} // namespace quelto::collection
