#pragma once

#include "refresh/PageRereader.h"

#include <chrono>

namespace quelto::refresh {

// Reads the page as "quelto --lookup" does, on a page that is never shown:
// the same site profiles, the same further pages, the same checks of every
// address (the page's own site only, nothing local for a page on the open
// network, http and https only).
class LookupRereader : public PageRereader
{
public:
    explicit LookupRereader(std::chrono::milliseconds pageTimeout = std::chrono::milliseconds(30000))
        : m_pageTimeout(pageTimeout)
    {
    }
    Reread read(const QUrl& page) override;

private:
    std::chrono::milliseconds m_pageTimeout;
};

} // namespace quelto::refresh
