#pragma once

#include "refresh/PageRereader.h"

#include <QPointer>
#include <QWebEngineProfile>
#include <chrono>

namespace quelto::refresh {

// Reads the page as "quelto --lookup" does, on a page that is never shown:
// the same site profiles, the same further pages, the same checks of every
// address (the page's own site only, nothing local for a page on the open
// network, http and https only).
class LookupRereader : public PageRereader
{
public:
    // The pages are read with profile's cookies (the browser pane's), when given.
    explicit LookupRereader(QWebEngineProfile* profile = nullptr,
                            std::chrono::milliseconds pageTimeout = std::chrono::milliseconds(30000))
        : m_profile(profile), m_pageTimeout(pageTimeout)
    {
    }
    Reread read(const QUrl& page) override;

private:
    QPointer<QWebEngineProfile> m_profile;
    std::chrono::milliseconds m_pageTimeout;
};

} // namespace quelto::refresh
