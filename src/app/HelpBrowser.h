#pragma once

#include <QHash>
#include <QTextBrowser>
#include <functional>

namespace quelto::app {

// The help window: a text browser that puts what the program knows now into
// the help page, where the page has a marker for it ("<!--quelto:NAME-->"):
// the site profiles loaded, and those left out with their reasons.
class HelpBrowser : public QTextBrowser
{
    Q_OBJECT
public:
    using Part = std::function<QString()>;

    explicit HelpBrowser(QHash<QString, Part> parts, QWidget* parent = nullptr);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    QHash<QString, Part> m_parts; // marker name -> its HTML
};

} // namespace quelto::app
