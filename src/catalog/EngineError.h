#pragma once

#include <QString>
#include <stdexcept>

namespace quelto::catalog {

// An error raised by the catalogue engine: a refused update, a failed query,
// a file that cannot be opened. Callers catch it only where they have a rule for it.
//
// The kind tells the causes apart that the user can do something about; the
// message is a plain sentence naming the file where there is one.
class EngineError : public std::runtime_error
{
public:
    enum class Kind
    {
        Other,
        Refused,   // a value the catalogue does not take: empty or overlong text
        DiskFull,  // no room on the disk (or over the file size limit)
        ReadOnly,  // the file or its folder cannot be written
        Locked,    // another program holds the file
        IoError,   // reading or writing the file failed
        Vanished,  // the file was deleted, moved or emptied while open
        Damaged,   // the file fails the engine's check
        Hostile,   // the file carries triggers, views or indexes Quelto did not make
        Changed,   // the row no longer holds what was shown
        Deleted    // the row is gone
    };

    explicit EngineError(const QString& message) : EngineError(Kind::Other, message) {}
    EngineError(Kind kind, const QString& message)
        : std::runtime_error(message.toStdString()), m_kind(kind), m_message(message)
    {
    }
    Kind kind() const { return m_kind; }
    const QString& message() const { return m_message; }

private:
    Kind m_kind;
    QString m_message;
};

} // namespace quelto::catalog
