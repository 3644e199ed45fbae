#include "editing/CommandBar.h"

#include "editing/ElidedLabel.h"
#include "editing/FormWidgets.h"
#include "editing/RecordCommands.h"
#include "editing/RecordForm.h"
#include "editing/StatusShape.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelto::editing {
CommandBar::CommandBar(editing::RecordForm& form, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("commandBar"));
    form.dbFirst =
        form::commandButton("dbFirst", QStringLiteral("<<"), QStringLiteral("Show first record"), this);
    form.dbPrev =
        form::commandButton("dbPrev", QStringLiteral("<"), QStringLiteral("Show previous record"), this);
    form.dbNext =
        form::commandButton("dbNext", QStringLiteral(">"), QStringLiteral("Show next record"), this);
    form.dbLast =
        form::commandButton("dbLast", QStringLiteral(">>"), QStringLiteral("Show last record"), this);
    form.dbNew =
        form::commandButton("dbNew", QStringLiteral("&New"), QStringLiteral("Enter a new record"), this);
    form.dbSave = form::commandButton("dbSave", QStringLiteral("Sa&ve"),
                                      QStringLiteral("Save changes / save new record"), this);
    form.dbDelete = form::commandButton("dbDelete", editing::RecordCommands::DeleteCaption, QString(), this);
    form.dbNoFilter = form::commandButton("dbNoFilter", QStringLiteral("All &Data"),
                                          QStringLiteral("Switch off filter"), this);
    form.dbNoFilter->setEnabled(false);
    // Narrow enough that "1,000,000 records in database" reads whole at the
    // designed window size.
    for (QPushButton* b : {form.dbFirst, form.dbPrev, form.dbNext, form.dbLast})
        b->setFixedWidth(28);
    for (QPushButton* b : {form.dbNew, form.dbSave, form.dbDelete})
        b->setFixedWidth(56);
    form.dbNoFilter->setFixedWidth(62);

    form.Shape1 = new editing::StatusShape(this);
    form.Shape1->setFixedSize(22, 22);
    form.labelRecords = new QLabel(this);
    form.labelRecords->setObjectName(QStringLiteral("labelRecords"));
    form.labelRecords->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Its text ("1,234 records in database") is its name.
    form.labelRecords->setAccessibleDescription(QStringLiteral("Record count"));

    form.title = form::textBox(QStringLiteral("title"), this);
    form.title->setToolTip(QStringLiteral("Programme Title"));
    form.title->setPlaceholderText(QStringLiteral("Title"));
    form::nameField(form.title, QStringLiteral("Title"));
    QFont titleFont = form.title->font();
    titleFont.setBold(true);
    form.title->setFont(titleFont);

    // A long description is shortened; the tooltip has it whole.
    form.filterset = new ElidedLabel(this);
    form.filterset->setObjectName(QStringLiteral("filterset"));
    form.filterset->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette red = form.filterset->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    form.filterset->setPalette(red);
    form.filterset->setMinimumWidth(150);
    form.filterset->setAccessibleDescription(QStringLiteral("Active search"));

    auto* commands = new QHBoxLayout;
    commands->setSpacing(4);
    for (QPushButton* b : {form.dbFirst, form.dbPrev, form.dbNext, form.dbLast})
        commands->addWidget(b);
    commands->addSpacing(6);
    for (QPushButton* b : {form.dbNew, form.dbSave, form.dbDelete})
        commands->addWidget(b);
    commands->addSpacing(6);
    commands->addWidget(form.dbNoFilter);
    commands->addStretch(1);
    commands->addWidget(form.labelRecords);
    form.labelRecords->setMinimumWidth(
        form.labelRecords->fontMetrics().horizontalAdvance(QStringLiteral("1,000,000 records in database")));
    commands->addSpacing(6);
    commands->addWidget(form.Shape1);

    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(form.title, 1);
    titleRow->addSpacing(6);
    titleRow->addWidget(form.filterset);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->setSpacing(5);
    layout->addLayout(commands);
    layout->addLayout(titleRow);
}

} // namespace quelto::editing
