#pragma once

#include "weblookup/LookupFields.h"

namespace quelto::editing {
struct RecordForm;
}

namespace quelto::weblookup {

// Moves the lookup's fields between LookupFields and the record form's
// controls: the text and tooltip of each drop-down, the text of the title and
// year boxes, the caption of the rating label.
namespace FormFields {

// Which page's fields to write.
enum class Page
{
    Title,    // title, year, director, genre, country, language, colour, sound, rating
    Credits,  // writer, the six cast slots, composer
    Companies // producer
};

LookupFields read(const editing::RecordForm& form);
// Writes only the fields of page, so that whatever the user changed in the
// others while a page loaded stays as it is.
void write(const LookupFields& fields, editing::RecordForm& form, Page page);
// Writes every field.
void writeAll(const LookupFields& fields, editing::RecordForm& form);
// Writes the fields that hold a value; the form keeps the others.
void writeFound(const LookupFields& fields, editing::RecordForm& form);

} // namespace FormFields
} // namespace quelto::weblookup
