#include "editing/RecordForm.h"

namespace quelto::editing {

QList<QComboBox*> RecordForm::boxesFor(const QString& list) const
{
    if (list == QLatin1String("screenformat"))
        return {screenformat};
    if (list == QLatin1String("mediatype"))
        return {mediatype};
    if (list == QLatin1String("soundfmt"))
        return {soundfmt};
    if (list == QLatin1String("vidfmt"))
        return {vidfmt};
    if (list == QLatin1String("country"))
        return {mv_country};
    if (list == QLatin1String("olang"))
        return {mv_lang, mdLang};
    if (list == QLatin1String("ocolor"))
        return {mvColor};
    if (list == QLatin1String("osound"))
        return {mvSound};
    if (list == QLatin1String("genre"))
        return {mvGenre};
    if (list == QLatin1String("director"))
        return {mvDirector};
    if (list == QLatin1String("produce"))
        return {mvProducer};
    if (list == QLatin1String("book"))
        return {mvBook};
    if (list == QLatin1String("quelto_olocation"))
        return {location};
    if (list == QLatin1String("quelto_ocondition"))
        return {condition};
    if (list == QLatin1String("quelto_otapelength"))
        return {tapeLength};
    if (list == QLatin1String("music"))
        return {mvMusic};
    if (list == QLatin1String("cast"))
        return {mvCast.begin(), mvCast.end()};
    return {};
}

} // namespace quelto::editing
