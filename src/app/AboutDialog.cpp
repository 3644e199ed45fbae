#include "app/AboutDialog.h"

#include "app/SplashWindow.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelto::app {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent),
      m_image(new QLabel(this)),
      m_ok(new QPushButton(QStringLiteral("OK"), this)),
      m_sysInfo(new QPushButton(QStringLiteral("&System Info..."), this))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quelto"));
    setModal(true);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    m_image->setPixmap(SplashWindow::picture().scaledToWidth(300, Qt::SmoothTransformation));
    m_ok->setDefault(true);

    auto* title = new QLabel(QStringLiteral("<b>Quelto %1</b>").arg(QStringLiteral("1.2")), this);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    title->setFont(big);
    auto* text = new QLabel(QStringLiteral("The catalogue of your recorded movies: video tapes, laser discs "
                                           "and DVDs.\n\nBuilt with Qt %1 and SQLite.")
                                .arg(QString::fromLatin1(qVersion())),
                            this);
    text->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_sysInfo);
    auto* words = new QVBoxLayout;
    words->addWidget(title);
    words->addWidget(text);
    words->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addWidget(m_image, 0, Qt::AlignTop);
    body->addLayout(words, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(buttons);
    setMinimumWidth(560);

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace quelto::app
