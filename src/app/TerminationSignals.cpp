#include "app/TerminationSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace quelto::app {

namespace {

int sockets[2] = {-1, -1};
constexpr int Handled[] = {SIGTERM, SIGHUP, SIGINT};

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (sockets[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, sockets) != 0)
        return; // one at a time; without the pair the default action stays
    m_notifier = new QSocketNotifier(sockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
    struct sigaction action = {};
    action.sa_handler = &TerminationSignals::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : Handled)
        ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal : Handled)
        ::sigaction(signal, &action, nullptr);
    ::close(sockets[0]);
    ::close(sockets[1]);
    sockets[0] = sockets[1] = -1;
}

void TerminationSignals::handle(int signal)
{
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(sockets[0], &byte, 1);
}

void TerminationSignals::readSignal()
{
    char byte = 0;
    if (::read(sockets[1], &byte, 1) == 1)
        emit received(int(byte));
}

} // namespace quelto::app
