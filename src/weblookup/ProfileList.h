#pragma once

#include <QString>

namespace quelto::weblookup {

class SiteProfileRegistry;

// The site profiles as the help lists them: each profile with where it
// comes from and which pages it reads, then every profile file that was
// left out with the reason why. An HTML fragment.
QString profileListHtml(const SiteProfileRegistry& registry);

} // namespace quelto::weblookup
