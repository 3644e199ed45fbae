#pragma once

#include <QString>
#include <stdexcept>

namespace quelto::catalog {

// An error raised by the catalogue engine: a refused update, a failed query,
// a file that cannot be opened. Callers catch it only where they have a rule for it.
class EngineError : public std::runtime_error
{
public:
    explicit EngineError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace quelto::catalog
