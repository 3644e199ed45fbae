#include "app/HelpBrowser.h"

#include <QTextDocument>

namespace quelto::app {

HelpBrowser::HelpBrowser(QHash<QString, Part> parts, QWidget* parent) : QTextBrowser(parent), m_parts(std::move(parts)) {}

QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    QVariant resource = QTextBrowser::loadResource(type, name);
    if (type != QTextDocument::HtmlResource || m_parts.isEmpty())
        return resource;
    QString html = resource.typeId() == QMetaType::QByteArray ? QString::fromUtf8(resource.toByteArray()) : resource.toString();
    bool changed = false;
    for (auto it = m_parts.cbegin(); it != m_parts.cend(); ++it) {
        const QString marker = QStringLiteral("<!--quelto:%1-->").arg(it.key());
        if (html.contains(marker)) {
            html.replace(marker, it.value()());
            changed = true;
        }
    }
    return changed ? QVariant(html) : resource;
}

} // namespace quelto::app
