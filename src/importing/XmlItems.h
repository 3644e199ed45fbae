#pragma once

#include "importing/XmlNode.h"

#include <QString>
#include <functional>

class QIODevice;

namespace quelto::tasks {
class TaskControl;
}

namespace quelto::importing {

// Walks an XML file as a stream and reads each element of one name whole
// (a movie), handing it on; the rest of the file is passed over. Progress
// and Cancel go through the control.
class XmlItems
{
public:
    using Each = std::function<void(const XmlNode&)>;
    static void forEach(QIODevice& device, const QString& source, const QString& itemName, const Each& each,
                        tasks::TaskControl* control);
    // The same for a file on disk; refuses one that cannot be opened.
    static void forEachInFile(const QString& path, const QString& itemName, const Each& each,
                              tasks::TaskControl* control);
};

} // namespace quelto::importing
