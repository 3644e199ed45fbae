#include "groups/MergeDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelto::groups {

MergeDialog::MergeDialog(const QString& from, const QStringList& others, QWidget* parent)
    : QDialog(parent), m_target(new QComboBox(this))
{
    setObjectName(QStringLiteral("mergeDialog"));
    setWindowTitle(QStringLiteral("Merge into"));
    auto* caption = new QLabel(QStringLiteral("&Merge \"%1\" into:").arg(from), this);
    caption->setTextFormat(Qt::PlainText);
    caption->setBuddy(m_target);
    m_target->setObjectName(QStringLiteral("mergeTarget"));
    m_target->setEditable(true);
    m_target->setInsertPolicy(QComboBox::NoInsert);
    m_target->addItems(others);
    m_target->setCurrentIndex(-1);
    m_target->setEditText(QString());
    m_target->setMinimumContentsLength(30);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    connect(m_target, &QComboBox::editTextChanged, this,
            [ok](const QString& text) { ok->setEnabled(!text.trimmed().isEmpty()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(m_target);
    layout->addWidget(buttons);
}

QString MergeDialog::value() const { return m_target->currentText().trimmed(); }

} // namespace quelto::groups
