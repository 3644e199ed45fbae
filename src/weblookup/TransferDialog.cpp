#include "weblookup/TransferDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelto::weblookup {

TransferDialog::TransferDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("transf"));
    setWindowTitle(QStringLiteral("Please standby..."));
    setModal(false);

    m_label1 = new QLabel(InitialText, this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setTextFormat(Qt::PlainText);
    m_label1->setWordWrap(true);
    m_label1->setMinimumWidth(420);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    m_cancel->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label1);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);

    connect(m_cancel, &QPushButton::clicked, this, &TransferDialog::cancelClicked);
}

void TransferDialog::reject()
{
    // Escape and the window's close button do what Cancel does.
    emit cancelClicked();
}

} // namespace quelto::weblookup
