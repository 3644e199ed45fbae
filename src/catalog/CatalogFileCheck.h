#pragma once

#include <QString>

namespace quelto::catalog {

// Looks at a file's first bytes before the engine touches it, so that a file
// that is not a catalogue is refused with a message naming the file and what it
// is, and is never written to. Whether the pages are whole is the engine's to
// tell, after its own recovery from an interrupted write.
class CatalogFileCheck
{
public:
    enum class Kind
    {
        Missing,
        Unreadable,
        NotAFile, // a pipe, a device, a folder: never opened, as reading may wait for ever
        Empty,
        AccessDatabase,
        NotADatabase,
        Truncated,
        SqliteDatabase
    };

    static Kind inspect(const QString& path);
    // Throws EngineError with the file's name and what is wrong, unless the
    // file is an SQLite database.
    static void requireDatabase(const QString& path);
    static QString describe(Kind kind);
};

} // namespace quelto::catalog
