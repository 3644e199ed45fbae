#include "weblookup/FormFields.h"

#include "editing/RecordForm.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace quelto::weblookup::FormFields {
namespace {

ComboField get(const QComboBox* box) { return {box->currentText(), box->toolTip()}; }

void put(const ComboField& field, QComboBox* box)
{
    box->setCurrentText(field.text);
    if (QLineEdit* edit = box->lineEdit())
        edit->setCursorPosition(0); // a long value shows from its start
    box->setToolTip(field.toolTip);
}

void put(const QString& text, QLineEdit* edit)
{
    edit->setText(text);
    edit->setCursorPosition(0);
}

} // namespace

LookupFields read(const editing::RecordForm& form)
{
    LookupFields f;
    f.title = form.title->text();
    f.mv_year = form.mv_year->text();
    f.mvDirector = get(form.mvDirector);
    f.mvGenre = get(form.mvGenre);
    f.mv_country = get(form.mv_country);
    f.mv_lang = get(form.mv_lang);
    f.mvColor = get(form.mvColor);
    f.mvSound = get(form.mvSound);
    f.mvRanking = form.mvRanking->text();
    f.mvBook = get(form.mvBook);
    for (int i = 0; i < LookupFields::castSlots; ++i)
        f.mvCast[size_t(i)] = get(form.mvCast[size_t(i)]);
    f.mvMusic = get(form.mvMusic);
    f.mvProducer = get(form.mvProducer);
    return f;
}

void write(const LookupFields& f, editing::RecordForm& form, Page page)
{
    switch (page) {
    case Page::Title:
        put(f.title, form.title);
        put(f.mv_year, form.mv_year);
        put(f.mvDirector, form.mvDirector);
        put(f.mvGenre, form.mvGenre);
        put(f.mv_country, form.mv_country);
        put(f.mv_lang, form.mv_lang);
        put(f.mvColor, form.mvColor);
        put(f.mvSound, form.mvSound);
        form.mvRanking->setText(f.mvRanking);
        break;
    case Page::Credits:
        put(f.mvBook, form.mvBook);
        for (int i = 0; i < LookupFields::castSlots; ++i)
            put(f.mvCast[size_t(i)], form.mvCast[size_t(i)]);
        put(f.mvMusic, form.mvMusic);
        break;
    case Page::Companies:
        put(f.mvProducer, form.mvProducer);
        break;
    }
}

void writeAll(const LookupFields& fields, editing::RecordForm& form)
{
    for (Page page : {Page::Title, Page::Credits, Page::Companies})
        write(fields, form, page);
}

void writeFound(const LookupFields& f, editing::RecordForm& form)
{
    auto found = [](const ComboField& field, QComboBox* box) {
        if (!field.text.trimmed().isEmpty())
            put(field, box);
    };
    if (!f.title.trimmed().isEmpty())
        put(f.title, form.title);
    if (!f.mv_year.trimmed().isEmpty())
        put(f.mv_year, form.mv_year);
    found(f.mvDirector, form.mvDirector);
    found(f.mvGenre, form.mvGenre);
    found(f.mv_country, form.mv_country);
    found(f.mv_lang, form.mv_lang);
    found(f.mvColor, form.mvColor);
    found(f.mvSound, form.mvSound);
    if (!f.mvRanking.trimmed().isEmpty())
        form.mvRanking->setText(f.mvRanking);
    found(f.mvBook, form.mvBook);
    for (int i = 0; i < LookupFields::castSlots; ++i)
        found(f.mvCast[size_t(i)], form.mvCast[size_t(i)]);
    found(f.mvMusic, form.mvMusic);
    found(f.mvProducer, form.mvProducer);
}

} // namespace quelto::weblookup::FormFields
