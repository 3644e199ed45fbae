#include "editing/SpellingDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace quelto::editing {

SpellingDialog::SpellingDialog(const QString& aliases, QWidget* parent) : QDialog(parent), m_text(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("spellingDialog"));
    setWindowTitle(QStringLiteral("Grab Spellings"));
    auto* caption = new QLabel(
        QStringLiteral("&Aliases, one a line: what a page says = the spelling to store\n"
                       "(a value the option list or the catalogue spells another way takes that spelling anyway)"),
        this);
    caption->setBuddy(m_text);
    m_text->setObjectName(QStringLiteral("aliasText"));
    m_text->setAccessibleName(QStringLiteral("Aliases"));
    m_text->setPlainText(aliases);
    m_text->setMinimumSize(420, 240);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
}

QString SpellingDialog::aliases() const { return m_text->toPlainText(); }

} // namespace quelto::editing
