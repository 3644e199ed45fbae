#pragma once

#include <QObject>
#include <memory>

class QTimer;

namespace quelto::catalog {
struct CatalogState;
}
namespace quelto::tasks {
class BackgroundTask;
class CommandRunner;
} // namespace quelto::tasks

namespace quelto::search {

// After the window's own changes, finds the orders again that the engine
// keeps (OrderCache): the title order and the one in force. It does so away
// from the window's thread, a moment after the change, and gives way to the
// next write at once. So the next search or sort starts from a sorted file,
// and at the end of the run there is an order to keep in it (KeptOrder).
class OrderRefresher : public QObject
{
    Q_OBJECT
public:
    static constexpr int PauseMs = 400;

    OrderRefresher(catalog::CatalogState& state, tasks::CommandRunner& runner, QObject* parent = nullptr);
    ~OrderRefresher() override;

    // After a command: the file may have changed.
    void fileMayHaveChanged();
    // Stops finding (before a write of the window's own).
    void stop();
    // Waits up to ms milliseconds for a finding under way (the end of the run).
    bool waitFor(int ms);
    // The orders kept for the file as it is now, by their signatures.
    QStringList signatures() const;

private:
    void refresh();
    bool isCurrent() const;

    catalog::CatalogState& m_state;
    tasks::CommandRunner& m_runner;
    QTimer* m_pause;
    std::shared_ptr<tasks::BackgroundTask> m_task;
    const void* m_hookedConnection = nullptr;
};

} // namespace quelto::search
