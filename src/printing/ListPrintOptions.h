#pragma once

namespace quelto::printing {

// The lists' print options kept between runs in the program's settings,
// section "ListPrinting": whether the long list shows covers.
class ListPrintOptions
{
public:
    static bool longListCovers();
    static void setLongListCovers(bool withCovers);
};

} // namespace quelto::printing
