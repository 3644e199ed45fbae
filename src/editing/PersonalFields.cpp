#include "editing/PersonalFields.h"

#include "catalog/RecordSet.h"
#include "collection/PersonalFormat.h"
#include "collection/TapeSpace.h"
#include "editing/RecordForm.h"
#include "editing/StarRating.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace quelto::editing {

using collection::PersonalFormat;

namespace {

const QString Rating = QStringLiteral("quelto_my_rating");
const QString Seen = QStringLiteral("quelto_seen");
const QString Notes = QStringLiteral("quelto_notes");
const QString Location = QStringLiteral("quelto_location");
const QString Purchased = QStringLiteral("quelto_purchased");
const QString Price = QStringLiteral("quelto_price");
const QString Condition = QStringLiteral("quelto_condition");
const QString RunningTime = QStringLiteral("quelto_running_time");
const QString Speed = QStringLiteral("quelto_speed");

const QStringList& columns()
{
    static const QStringList all = {Rating, Seen, Notes, Location, Purchased, Price, Condition, RunningTime, Speed};
    return all;
}

QVariant valueOf(const catalog::RecordSet& set, const QString& column)
{
    return set.hasField(column) ? set.value(column) : QVariant();
}

} // namespace

PersonalFields::PersonalFields(RecordForm& form) : m_form(form)
{
    QObject::connect(form.seenDate, &QLineEdit::textEdited, form.seen, [seen = form.seen](const QString& text) {
        if (!text.trimmed().isEmpty())
            seen->setChecked(true);
    });
    QObject::connect(form.seen, &QCheckBox::toggled, form.seenDate, [date = form.seenDate](bool on) {
        if (!on)
            date->clear();
    });
}

QStringList PersonalFields::texts() const
{
    const RecordForm& f = m_form;
    return {QString::number(f.myRating->value()), f.seen->isChecked() ? QStringLiteral("1") : QString(),
            f.seenDate->text(),    f.notes->toPlainText(),
            f.location->currentText(), f.purchased->text(),
            f.price->text(),       f.condition->currentText(),
            f.runningTime->text(), f.speed->currentText()};
}

void PersonalFields::offerSpeedsFor(const QString& mediaType)
{
    QComboBox* box = m_form.speed;
    const QString current = box->currentText();
    QStringList items = QStringList{QString()} + collection::TapeSpace::speedsFor(mediaType);
    if (!current.isEmpty() && !items.contains(current))
        items << current; // stored for another system: kept, not lost
    QStringList existing;
    for (int i = 0; i < box->count(); ++i)
        existing << box->itemText(i);
    if (existing == items)
        return;
    const QSignalBlocker blocker(box);
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(int(items.indexOf(current)));
    box->setEnabled(items.size() > 1);
}

void PersonalFields::showValues(const QHash<QString, QVariant>& values)
{
    RecordForm& f = m_form;
    const auto at = [&](const QString& column) { return values.value(column); };
    f.myRating->setValue(PersonalFormat::halfStars(at(Rating)));
    const QString seen = at(Seen).toString();
    f.seen->setChecked(!seen.isEmpty());
    f.seenDate->setText(seen == PersonalFormat::SeenWithoutDate ? QString() : PersonalFormat::dateText(at(Seen)));
    f.notes->setPlainText(at(Notes).toString());
    f.location->setEditText(at(Location).toString());
    f.purchased->setText(PersonalFormat::dateText(at(Purchased)));
    f.price->setText(PersonalFormat::priceText(at(Price)));
    f.condition->setEditText(at(Condition).toString());
    f.runningTime->setText(PersonalFormat::runningTimeText(at(RunningTime)));
    const QString speed = at(Speed).toString();
    offerSpeedsFor(f.mediatype->currentText());
    if (f.speed->findText(speed) < 0)
        f.speed->addItem(speed);
    f.speed->setCurrentIndex(f.speed->findText(speed));
    for (QLineEdit* edit : {f.seenDate, f.purchased, f.price, f.runningTime})
        edit->setCursorPosition(0);
}

void PersonalFields::show(const catalog::RecordSet& set)
{
    QHash<QString, QVariant> values;
    for (const QString& column : columns()) {
        if (set.hasField(column))
            values.insert(column, valueOf(set, column));
    }
    showValues(values);
    m_shownValues = values;
}

void PersonalFields::clear()
{
    showValues({});
    m_shownValues.clear();
}

bool PersonalFields::changed() const { return texts() != m_shownTexts; }

void PersonalFields::markUnchanged() { m_shownTexts = texts(); }

QString PersonalFields::problem()
{
    RecordForm& f = m_form;
    struct Check
    {
        QWidget* field;
        QString caption;
        PersonalFormat::Parsed parsed;
    };
    const Check checks[] = {
        {f.seenDate, QStringLiteral("Seen"), PersonalFormat::parseSeen(f.seen->isChecked(), f.seenDate->text())},
        {f.purchased, QStringLiteral("Purchased"), PersonalFormat::parseDate(f.purchased->text())},
        {f.price, QStringLiteral("Price"), PersonalFormat::parsePrice(f.price->text())},
        {f.runningTime, QStringLiteral("Running time"), PersonalFormat::parseRunningTime(f.runningTime->text())},
        {f.notes, QStringLiteral("Notes"), PersonalFormat::parseText(f.notes->toPlainText(), PersonalFormat::MaxNotesLength)},
        {f.location, QStringLiteral("Location"), PersonalFormat::parseText(f.location->currentText())},
        {f.condition, QStringLiteral("Condition"), PersonalFormat::parseText(f.condition->currentText())},
    };
    for (const Check& check : checks) {
        if (!check.parsed.ok()) {
            reveal(check.field);
            return QStringLiteral("Cannot save: %1: %2\n\nThe field keeps what you typed.")
                .arg(check.caption, check.parsed.problem);
        }
    }
    return {};
}

QHash<QString, QVariant> PersonalFields::values() const
{
    const RecordForm& f = m_form;
    const auto value = [](const PersonalFormat::Parsed& parsed) { return parsed.ok() ? parsed.value : QVariant(); };
    QHash<QString, QVariant> out;
    out.insert(Rating, PersonalFormat::ratingValue(f.myRating->value()));
    out.insert(Seen, value(PersonalFormat::parseSeen(f.seen->isChecked(), f.seenDate->text())));
    out.insert(Notes, value(PersonalFormat::parseText(f.notes->toPlainText(), PersonalFormat::MaxNotesLength)));
    out.insert(Location, value(PersonalFormat::parseText(f.location->currentText())));
    out.insert(Purchased, value(PersonalFormat::parseDate(f.purchased->text())));
    out.insert(Price, value(PersonalFormat::parsePrice(f.price->text())));
    out.insert(Condition, value(PersonalFormat::parseText(f.condition->currentText())));
    out.insert(RunningTime, value(PersonalFormat::parseRunningTime(f.runningTime->text())));
    out.insert(Speed, f.speed->currentText().isEmpty() ? QVariant() : QVariant(f.speed->currentText()));
    return out;
}

bool PersonalFields::needsOwnStorage() const
{
    const QHash<QString, QVariant> all = values();
    for (const QVariant& value : all) {
        if (value.isValid())
            return true;
    }
    return false;
}

void PersonalFields::toRecord(catalog::RecordSet& set)
{
    const QHash<QString, QVariant> all = values();
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        if (set.hasField(it.key()))
            set.setValue(it.key(), it.value());
    }
}

void PersonalFields::addShownValues(QHash<QString, QVariant>& values) const
{
    for (auto it = m_shownValues.cbegin(); it != m_shownValues.cend(); ++it)
        values.insert(it.key(), it.value());
}

} // namespace quelto::editing
