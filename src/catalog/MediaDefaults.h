#pragma once

#include <QString>

namespace quelto::catalog {

// The medium values a new record starts with; saving a new record replaces
// them, and they are kept between runs.
struct MediaDefaults
{
    QString media = QStringLiteral("LaserDisk");
    QString image = QStringLiteral("Widescreen");
    QString format = QStringLiteral("NTSC");
    QString sound = QStringLiteral("Surround");
    QString language = QStringLiteral("English");

    friend bool operator==(const MediaDefaults&, const MediaDefaults&) = default;
};

} // namespace quelto::catalog
