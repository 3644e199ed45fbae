#pragma once

#include <QString>

namespace quelto::importing {

// Where the pictures a file names may lie: the file's own folder and the
// folders inside it, nothing else. A name with "..", an absolute path, a
// web address or a symbolic link that leads out of the folder is refused.
class PictureLocation
{
public:
    explicit PictureLocation(const QString& folder);

    // The picture file a written name stands for, or empty and problem set.
    QString resolve(const QString& written, QString* problem) const;

private:
    QString m_folder; // canonical, empty when it does not exist
};

} // namespace quelto::importing
