#include "app/DatabaseDialog.h"

#include "app/Twips.h"
#include "editing/UserPrompts.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace quelto::app {

DatabaseDialog::DatabaseDialog(editing::UserPrompts& files, QWidget* parent)
    : QDialog(parent), m_files(files), m_path(new QLineEdit), m_useit(new QPushButton(QStringLiteral("That's it !"))),
      m_browseName(QStringLiteral("quelto.mdb"))
{
    setObjectName(QStringLiteral("promptdb"));
    setWindowTitle(QStringLiteral("Initialize Database"));

    auto* heading = new QLabel(QStringLiteral("Welcome to Quelto %1").arg(QStringLiteral(QUELTO_VERSION)));
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    heading->setFont(bold);
    auto* explanation = new QLabel(QStringLiteral("Since a database could  not be found, I'll either have to create "
                                                  "one and initialize it, or you'll have to tell me, which to use.."));
    explanation->setTextFormat(Qt::PlainText);
    explanation->setWordWrap(true);
    auto* prompt = new QLabel(QStringLiteral("Please help me: What database should I use ?"));

    m_path->setObjectName(QStringLiteral("path"));
    // A place to start from: the catalogue in the home folder.
    m_path->setText(QDir::toNativeSeparators(proposedPath()));
    auto* browsecmd = new QPushButton(QStringLiteral("Browse"));
    browsecmd->setObjectName(QStringLiteral("browsecmd"));
    m_useit->setObjectName(QStringLiteral("useit"));
    m_useit->setDefault(true);
    m_useit->setEnabled(false);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("cancel"));

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(browsecmd);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_useit);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(explanation);
    layout->addSpacing(4);
    layout->addWidget(prompt);
    layout->addLayout(pathRow);
    layout->addStretch(1);
    layout->addLayout(buttons);

    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    setFixedSize(twips::toPixels(5265, dpiX), twips::toPixels(3150, dpiY));

    m_useit->setEnabled(!m_path->text().isEmpty());
    connect(m_path, &QLineEdit::textChanged, m_useit, [this](const QString& text) { m_useit->setEnabled(!text.isEmpty()); });
    connect(browsecmd, &QPushButton::clicked, this, &DatabaseDialog::browse);
    connect(m_useit, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString DatabaseDialog::proposedPath() { return QDir::home().filePath(QStringLiteral("quelto.mdb")); }

QString DatabaseDialog::path() const { return m_path->text(); }

void DatabaseDialog::setPath(const QString& path) { m_path->setText(path); }

QString DatabaseDialog::fullPath(const QString& typed)
{
    const QString name = QDir::fromNativeSeparators(typed.trimmed());
    if (QDir::isAbsolutePath(name))
        return QDir::cleanPath(name);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return QDir::cleanPath(QDir(folder).filePath(name));
}

void DatabaseDialog::browse()
{
    const std::optional<QString> chosen =
        m_files.chooseFile({QStringLiteral("Create Quelto DB"), m_browseName, QStringLiteral("Access Database (*.mdb)"),
                            QStringLiteral("mdb")});
    if (chosen)
        m_browseName = *chosen;
    m_path->setText(m_browseName); // a cancelled dialog leaves its current name
}

} // namespace quelto::app
