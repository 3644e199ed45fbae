#include "editing/FieldBinding.h"

#include "editing/RecordForm.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace quelto::editing {

FieldBinding::FieldBinding(QString column, QLineEdit* edit, bool valueTooltip)
    : m_column(std::move(column)), m_edit(edit), m_valueTooltip(valueTooltip)
{
}

FieldBinding::FieldBinding(QString column, QComboBox* box, bool valueTooltip)
    : m_column(std::move(column)), m_box(box), m_valueTooltip(valueTooltip)
{
}

FieldBinding::FieldBinding(QString column, QLabel* label) : m_column(std::move(column)), m_label(label) {}

QWidget* FieldBinding::widget() const
{
    if (m_edit)
        return m_edit;
    if (m_box)
        return m_box;
    return m_label;
}

QString FieldBinding::text() const
{
    if (m_edit)
        return m_edit->text();
    if (m_box)
        return m_box->currentText();
    return m_label->text();
}

void FieldBinding::setText(const QString& text) const
{
    // A long value shows from its start, not from its end.
    if (m_edit) {
        m_edit->setText(text);
        m_edit->setCursorPosition(0);
    } else if (m_box) {
        m_box->setCurrentText(text);
        if (QLineEdit* edit = m_box->lineEdit())
            edit->setCursorPosition(0);
    } else {
        m_label->setText(text);
    }
}

std::vector<FieldBinding> FieldBinding::of(const RecordForm& f)
{
    auto s = [](const char* column) { return QString::fromLatin1(column); };
    std::vector<FieldBinding> fields = {
        {s("title"), f.title},
        {s("catalog"), f.catalog},
        {s("md_type"), f.mediatype, false},
        {s("md_format"), f.vidfmt, false},
        {s("md_image"), f.screenformat, false},
        {s("md_sound"), f.soundfmt, false},
        {s("md_language"), f.mdLang, false},
        {s("mv_country"), f.mv_country, true},
        {s("mv_year"), f.mv_year, true},
        {s("mv_rating"), f.mvRanking},
        {s("mv_language"), f.mv_lang, true},
        {s("mv_color"), f.mvColor, true},
        {s("mv_sound"), f.mvSound, true},
        {s("mv_genre"), f.mvGenre, true},
        {s("mv_director"), f.mvDirector, true},
        {s("mv_producer"), f.mvProducer, true},
        {s("mv_book"), f.mvBook, true},
        {s("mv_music"), f.mvMusic, true},
    };
    // The first cast box shows the sixth cast column; stored catalogues rely on it.
    static const char* const castColumns[RecordForm::castSlots] = {"mv_cast6", "mv_cast1", "mv_cast2",
                                                                   "mv_cast3", "mv_cast4", "mv_cast5"};
    for (int i = 0; i < RecordForm::castSlots; ++i)
        fields.emplace_back(s(castColumns[i]), f.mvCast[i], true);
    return fields;
}

} // namespace quelto::editing
