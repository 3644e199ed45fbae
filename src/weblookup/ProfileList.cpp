#include "weblookup/ProfileList.h"

#include "weblookup/SiteProfileRegistry.h"

#include <QStringList>

namespace quelto::weblookup {

QString profileListHtml(const SiteProfileRegistry& registry)
{
    QString html = QStringLiteral("<ul>\n");
    for (const SiteProfile& profile : registry.profiles()) {
        const QString origin = registry.origin(profile.name());
        html += QStringLiteral("<li><b>%1</b> (%2)</li>\n")
                    .arg(profile.name().toHtmlEscaped(),
                         origin == u"shipped" ? QStringLiteral("shipped with Quelto")
                                              : QStringLiteral("from <code>%1</code>").arg(origin.toHtmlEscaped()));
    }
    html += QStringLiteral("</ul>\n");
    if (registry.errors().isEmpty()) {
        html += QStringLiteral("<p>Every profile file was read.</p>\n");
        return html;
    }
    html += QStringLiteral("<p><b>Left out</b>, with the reason why:</p>\n<ul>\n");
    for (const QString& error : registry.errors())
        html += QStringLiteral("<li><code>%1</code></li>\n").arg(error.toHtmlEscaped());
    html += QStringLiteral("</ul>\n");
    return html;
}

} // namespace quelto::weblookup
