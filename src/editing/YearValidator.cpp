#include "editing/YearValidator.h"

namespace quelto::editing {

namespace {

bool allDigits(const QString& text)
{
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

QValidator::State YearValidator::validate(QString& input, int& pos) const
{
    Q_UNUSED(pos);
    const QString year = input.trimmed();
    if (year.isEmpty())
        return Acceptable;
    if (!allDigits(year) || year.size() > 4)
        return Invalid;
    return year.size() == 4 ? Acceptable : Intermediate;
}

QString YearValidator::problem(const QString& typed)
{
    const QString year = typed.trimmed();
    if (year.isEmpty() || (year.size() == 4 && allDigits(year)))
        return {};
    return QStringLiteral("Year: \"%1\" is not a year. Type four digits, like 1984, or leave the field empty.")
        .arg(year);
}

} // namespace quelto::editing
