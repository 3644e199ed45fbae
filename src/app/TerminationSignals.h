#pragma once

#include <QObject>

class QSocketNotifier;

namespace quelto::app {

// SIGTERM, SIGHUP and SIGINT end the program the orderly way: the event loop
// is left and the window goes as on Quit, so the catalogue is closed and its
// lock file removed. A signal handler may do next to nothing; it writes a
// byte into a socket pair that the window's thread reads.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    // On the window's thread, once for each signal that came.
    void received(int signal);

private:
    static void handle(int signal);
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace quelto::app
