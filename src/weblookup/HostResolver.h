#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace quelto::weblookup {

// The addresses a host name stands for. The system's resolver goes through
// QHostInfo. The program's proxy (PinnedProxy) asks here too and connects to
// the address it was answered, so an early check's answer is advice: the
// proxy's is the one that counts. Tests put a table of names of their own in
// its place.
class HostResolver
{
public:
    using Table = std::function<QList<QHostAddress>(const QString& host)>;

    // Replaces the system's resolver for the whole program; an empty table
    // brings it back.
    static void replace(Table table);

    // The addresses of host, given to answer on context's thread (empty when
    // the name is unknown). An address written as the host is its own answer.
    static void lookUp(const QString& host, QObject* context,
                       std::function<void(const QList<QHostAddress>&)> answer);

    // The same, waiting for the answer; answers of the last minute are
    // reused. For the browser's request checks, which must decide at once.
    static QList<QHostAddress> addressesNow(const QString& host);
};

} // namespace quelto::weblookup
