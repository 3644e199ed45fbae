#pragma once

#include <QtGlobal>

namespace quelto::importing {

// The bounds an import keeps to whatever file it is given.
struct ImportLimits
{
    // A file or zip member read whole (CSV, JSON, an XML member of a zip).
    static constexpr qint64 MaxTextBytes = 256LL * 1024 * 1024;
    // A picture, in a zip or a folder.
    static constexpr qint64 MaxPictureBytes = 25LL * 1024 * 1024;
    // Every member of a zip, unpacked, together.
    static constexpr qint64 MaxUnpackedBytes = 4LL * 1024 * 1024 * 1024;
    static constexpr qint64 MaxZipMembers = 200000;
    // The .nfo files of one folder.
    static constexpr int MaxFolderFiles = 100000;
    // One value: longer text is cut.
    static constexpr int MaxValueChars = 100000;
};

} // namespace quelto::importing
