#include "editing/BlankText.h"

namespace quelto::editing {

QString BlankText::shown(const QVariant& stored)
{
    if (!stored.isValid() || stored.isNull())
        return {};
    return stored.toString().trimmed();
}

QString BlankText::stored(const QString& typed, bool required)
{
    const QString text = typed.trimmed();
    if (text.isEmpty() && !required)
        return Blank;
    return text;
}

} // namespace quelto::editing
