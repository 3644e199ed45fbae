#include "webcatalogue/WebCatalogueDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelto::webcatalogue {

WebCatalogueDialog::WebCatalogueDialog(std::function<std::optional<QString>(const QString&)> browse, QWidget* parent)
    : QDialog(parent), m_browse(std::move(browse)), m_folder(new QLineEdit(this)),
      m_covers(new QCheckBox(QStringLiteral("With the &covers"), this)),
      m_onlySearch(new QCheckBox(QStringLiteral("Only the current &search"), this))
{
    setObjectName(QStringLiteral("WebCatalogueDialog"));
    setWindowTitle(QStringLiteral("Web Catalogue"));
    m_folder->setObjectName(QStringLiteral("folder"));
    m_covers->setObjectName(QStringLiteral("covers"));
    m_onlySearch->setObjectName(QStringLiteral("onlySearch"));
    m_folder->setMinimumWidth(m_folder->fontMetrics().averageCharWidth() * 48); // room for a whole path

    auto* browseButton = new QPushButton(QStringLiteral("&Browse..."), this);
    browseButton->setObjectName(QStringLiteral("browse"));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browseButton);
    auto* form = new QFormLayout;
    auto* folderLabel = new QLabel(QStringLiteral("&Folder:"), this);
    folderLabel->setBuddy(m_folder);
    form->addRow(folderLabel, folderRow);

    auto* note = new QLabel(QStringLiteral("The folder gets index.html, which any browser opens from the disk, "
                                           "a USB stick or a web host."),
                            this);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(QStringLiteral("&Export"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_covers);
    layout->addWidget(m_onlySearch);
    layout->addWidget(note);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_folder, &QLineEdit::textChanged, this, &WebCatalogueDialog::updateOk);
    connect(browseButton, &QPushButton::clicked, this, [this] {
        if (!m_browse)
            return;
        if (const std::optional<QString> chosen = m_browse(folder()); chosen && !chosen->isEmpty())
            setFolder(*chosen);
    });
    setSearch({});
    updateOk();
}

void WebCatalogueDialog::setFolder(const QString& folder)
{
    m_folder->setText(QDir::toNativeSeparators(folder));
}

QString WebCatalogueDialog::folder() const
{
    return QDir::fromNativeSeparators(m_folder->text().trimmed());
}

void WebCatalogueDialog::setCoversAvailable(bool available)
{
    m_covers->setEnabled(available);
    m_covers->setChecked(available);
}

bool WebCatalogueDialog::covers() const
{
    return m_covers->isEnabled() && m_covers->isChecked();
}

void WebCatalogueDialog::setSearch(const QString& searchDescription)
{
    m_onlySearch->setEnabled(!searchDescription.isEmpty());
    m_onlySearch->setChecked(!searchDescription.isEmpty());
    m_onlySearch->setToolTip(searchDescription);
}

bool WebCatalogueDialog::onlySearch() const
{
    return m_onlySearch->isEnabled() && m_onlySearch->isChecked();
}

void WebCatalogueDialog::updateOk()
{
    m_ok->setEnabled(!folder().isEmpty());
}

} // namespace quelto::webcatalogue
