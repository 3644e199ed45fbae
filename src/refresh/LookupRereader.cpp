#include "refresh/LookupRereader.h"

#include "weblookup/CommandLineLookup.h"

#include <QWebEngineProfile>

namespace quelto::refresh {

Reread LookupRereader::read(const QUrl& page)
{
    Reread reread;
    if (!weblookup::CommandLineLookup::isWebAddress(page)) {
        reread.error = QStringLiteral("\"%1\" is not the address of a web page.").arg(page.toDisplayString());
        return reread;
    }
    weblookup::CommandLineLookup lookup(m_pageTimeout, nullptr, m_profile.data());
    const weblookup::CommandLineLookup::Result result = lookup.run(page);
    reread.read = result.titleRead;
    reread.error = result.error;
    reread.fields = result.fields;
    for (const auto& [person, character] : result.billedCast)
        reread.cast.append({person, character});
    return reread;
}

} // namespace quelto::refresh
