#include "editing/PersonalTab.h"

#include "editing/FormWidgets.h"
#include "collection/PersonalFormat.h"
#include "editing/RecordForm.h"
#include "editing/StarRating.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

namespace quelto::editing {

using collection::PersonalFormat;

PersonalTab::PersonalTab(editing::RecordForm& form, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("personalTab"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(6);
    const QString datePattern = PersonalFormat::datePattern().toLower();

    auto withList = [&](QComboBox* box, const char* buttonName, const char* list, const QString& listTitle) {
        QToolButton* edit = form::editButton(QString::fromLatin1(buttonName), listTitle, this);
        form.editButtons.push_back({edit, QString::fromLatin1(list), box});
        auto* row = new QHBoxLayout;
        row->setSpacing(2);
        row->addWidget(box, 1);
        row->addWidget(edit);
        return row;
    };

    // Row 0: My rating
    form.myRating = new editing::StarRating(this);
    form.myRating->setObjectName(QStringLiteral("myRating"));
    grid->addWidget(form::caption(QStringLiteral("&My rating"), form.myRating, this), 0, 0);
    auto* ratingRow = new QHBoxLayout;
    ratingRow->addWidget(form.myRating);
    auto* clearRating = new QToolButton(this);
    clearRating->setObjectName(QStringLiteral("clearRating"));
    clearRating->setText(QStringLiteral("\u00d7"));
    clearRating->setToolTip(QStringLiteral("Not rated"));
    clearRating->setAccessibleName(QStringLiteral("Clear my rating"));
    clearRating->setFocusPolicy(Qt::NoFocus);
    connect(clearRating, &QToolButton::clicked, form.myRating, [rating = form.myRating] { rating->setValue(0); });
    ratingRow->addWidget(clearRating);
    ratingRow->addStretch(1);
    grid->addLayout(ratingRow, 0, 1, 1, 4);

    // Row 1: Seen [x] on [date]
    form.seen = new QCheckBox(QStringLiteral("Seen"), this);
    form.seen->setObjectName(QStringLiteral("seen"));
    form.seen->setToolTip(QStringLiteral("Seen, with the date last watched if you know it"));
    form.seenDate = form::textBox(QStringLiteral("seenDate"), this);
    form.seenDate->setPlaceholderText(datePattern);
    form::nameField(form.seenDate, QStringLiteral("Seen on"));
    form.seenDate->setToolTip(QStringLiteral("The date last watched; empty when seen without a date"));
    grid->addWidget(form.seen, 1, 1);
    grid->addWidget(form::caption(QStringLiteral("on"), form.seenDate, this), 1, 2, Qt::AlignRight);
    form::nameField(form.seenDate, QStringLiteral("Seen on")); // the caption alone says too little
    grid->addWidget(form.seenDate, 1, 3, 1, 2);

    // Row 2: Purchased, Price
    form.purchased = form::textBox(QStringLiteral("purchased"), this);
    form.purchased->setPlaceholderText(datePattern);
    grid->addWidget(form::caption(QStringLiteral("P&urchased"), form.purchased, this), 2, 0);
    grid->addWidget(form.purchased, 2, 1);
    form.price = form::textBox(QStringLiteral("price"), this);
    form.price->setPlaceholderText(PersonalFormat::priceText(0.0));
    grid->addWidget(form::caption(QStringLiteral("P&rice"), form.price, this), 2, 2, Qt::AlignRight);
    grid->addWidget(form.price, 2, 3, 1, 2);

    // Row 3: Location, Condition
    form.location = form::comboBox(QStringLiteral("location"), this);
    grid->addWidget(form::caption(QStringLiteral("Loc&ation"), form.location, this), 3, 0);
    grid->addLayout(withList(form.location, "locationList", "quelto_olocation", QStringLiteral("Location")), 3, 1);
    form.condition = form::comboBox(QStringLiteral("condition"), this);
    grid->addWidget(form::caption(QStringLiteral("Cond&ition"), form.condition, this), 3, 2, Qt::AlignRight);
    grid->addLayout(withList(form.condition, "conditionList", "quelto_ocondition", QStringLiteral("Condition")), 3, 3,
                    1, 2);

    // Row 4: Running time
    form.runningTime = form::textBox(QStringLiteral("runningTime"), this);
    form.runningTime->setToolTip(QStringLiteral("Minutes, like 95, or hours and minutes, like 1:35"));
    form.runningTime->setMaxLength(20);
    grid->addWidget(form::caption(QStringLiteral("Runnin&g time"), form.runningTime, this), 4, 0);
    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(form.runningTime);
    timeRow->addWidget(new QLabel(QStringLiteral("min"), this));
    timeRow->addStretch(1);
    grid->addLayout(timeRow, 4, 1);

    // Row 5 on: Notes
    form.notes = new QPlainTextEdit(this);
    form.notes->setObjectName(QStringLiteral("notes"));
    form.notes->setTabChangesFocus(true);
    form.notes->setPlaceholderText(QStringLiteral("Anything worth keeping: recorded from, cuts, quality ..."));
    QLabel* notesCaption = form::caption(QStringLiteral("No&tes"), form.notes, this);
    notesCaption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(notesCaption, 5, 0);
    grid->addWidget(form.notes, 5, 1, 1, 4);

    grid->setColumnStretch(1, 2);
    grid->setColumnMinimumWidth(2, 16);
    grid->setColumnStretch(3, 2);
    grid->setRowStretch(5, 1);
    setTabOrder(form.myRating, form.seen);
    setTabOrder(form.seen, form.seenDate);
    setTabOrder(form.seenDate, form.purchased);
    setTabOrder(form.purchased, form.price);
    setTabOrder(form.price, form.location);
    setTabOrder(form.location, form.condition);
    setTabOrder(form.condition, form.runningTime);
    setTabOrder(form.runningTime, form.notes);
}

} // namespace quelto::editing
