#include "editing/MediaTab.h"

#include "editing/FormWidgets.h"
#include "editing/RecordForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace quelto::editing {

MediaTab::MediaTab(editing::RecordForm& form, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("mediaTab"));
    auto* grid = m_grid = new QGridLayout(this);
    grid->setContentsMargins(14, 14, 14, 14);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(8);
    int row = 0;
    // Every caption has a letter of its own (Alt+letter moves to the field);
    // the menus and command buttons keep F E S O I H N V L D, the loan line R;
    // the Personal tab P. The tape length shares T with the format.

    auto addBox = [&](const QString& caption, QComboBox*& box, const char* boxName, const char* buttonName,
                      const char* list, const QString& listTitle) {
        box = form::comboBox(QString::fromLatin1(boxName), this);
        QToolButton* edit = form::editButton(QString::fromLatin1(buttonName), listTitle, this);
        form.editButtons.push_back({edit, QString::fromLatin1(list), box});
        grid->addWidget(form::caption(caption, box, this), row, 0);
        grid->addWidget(box, row, 1);
        grid->addWidget(edit, row, 2);
        ++row;
    };

    addBox(QStringLiteral("&Media"), form.mediatype, "mediatype", "Picture2", "mediatype", QStringLiteral("Media"));
    form.catalog = form::textBox(QStringLiteral("catalog"), this);
    form.catalog->setToolTip(QStringLiteral("Catalog-ID (alphanumeric)"));
    grid->addWidget(form::caption(QStringLiteral("&Catalog"), form.catalog, this), row, 0);
    grid->addWidget(form.catalog, row, 1);
    ++row;
    addBox(QStringLiteral("Forma&t"), form.vidfmt, "vidfmt", "Picture4", "vidfmt", QStringLiteral("Video Format"));
    addBox(QStringLiteral("Im&age"), form.screenformat, "screenformat", "Picture1", "screenformat",
           QStringLiteral("Image Format"));
    addBox(QStringLiteral("So&und"), form.soundfmt, "soundfmt", "Picture3", "soundfmt", QStringLiteral("Sound Format"));
    addBox(QStringLiteral("Lan&guage"), form.mdLang, "mdLang", "Picture5", "olang", QStringLiteral("Language"));

    // The tape: its length (by media ID) and this movie's speed.
    addBox(QStringLiteral("&Tape length"), form.tapeLength, "tapeLength", "tapeLengthList", "quelto_otapelength",
           QStringLiteral("Tape Length"));
    form.tapeLength->setToolTip(QStringLiteral("The tape's length at standard play; every movie on the tape shares it"));
    form.speed = new QComboBox(this);
    form.speed->setObjectName(QStringLiteral("speed"));
    form.speed->setToolTip(QStringLiteral("The speed this movie was recorded at"));
    grid->addWidget(form::caption(QStringLiteral("Pla&y speed"), form.speed, this), row, 0);
    grid->addWidget(form.speed, row, 1, Qt::AlignLeft);
    ++row;

    grid->setColumnMinimumWidth(1, 220);
    grid->setColumnMinimumWidth(3, 16);
    grid->setColumnStretch(4, 1);
    m_rows = row;
    grid->setRowStretch(row, 1);
    m_fieldRows = row;
}

void MediaTab::setTapePanel(QWidget* panel)
{
    panel->setParent(this);
    m_grid->addWidget(panel, 0, 4, m_fieldRows, 1);
}

void MediaTab::addFullRow(QWidget* widget)
{
    m_grid->setRowStretch(m_rows, 0);
    m_grid->addWidget(widget, m_rows, 0, 1, m_grid->columnCount());
    ++m_rows;
    m_grid->setRowStretch(m_rows, 1);
}

} // namespace quelto::editing
