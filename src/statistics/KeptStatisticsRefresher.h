#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QTimer;

namespace quelto::catalog {
struct CatalogState;
}
namespace quelto::tasks {
class BackgroundTask;
}

namespace quelto::statistics {

// After the window's own changes (saves, deletes, imports, undo), and once
// when a catalogue is opened (another program may have changed it since),
// makes the kept statistics of the catalogue again, so that the next
// Statistics opens at once: only for a catalogue whose figures are kept
// already, once the window has been idle a moment, on a thread of the
// lowest priority, and given up for a newer change and before every write
// of the window's own. Figures that are up to date are only checked.
class KeptStatisticsRefresher : public QObject
{
    Q_OBJECT
public:
    static constexpr int PauseMs = 3000;
    // How long stop() waits for the pass to let go of the file.
    static constexpr int StopWaitMs = 1500;

    // busy: the window runs a command (which comes first).
    KeptStatisticsRefresher(catalog::CatalogState& state, std::function<bool()> busy, QObject* parent = nullptr);
    ~KeptStatisticsRefresher() override;

    // After a command: the file may have changed.
    void fileMayHaveChanged();
    // Gives up the pass waiting or under way.
    void stop();
    // Starts a pass that waits for the pause at once (tests).
    void refreshNow();
    // Waits up to ms milliseconds for a pass under way; true when none is.
    bool waitFor(int ms);
    bool isWaiting() const;

private:
    void refresh();

    catalog::CatalogState& m_state;
    std::function<bool()> m_busy;
    QTimer* m_pause;
    std::shared_ptr<tasks::BackgroundTask> m_task;
    const void* m_hookedConnection = nullptr;
    qint64 m_changesSeen = 0;
};

} // namespace quelto::statistics
