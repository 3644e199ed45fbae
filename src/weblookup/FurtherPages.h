#pragma once

#include "weblookup/PageFetcher.h"
#include "weblookup/PageSnapshot.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <memory>

namespace quelto::weblookup {

class HtmlSnapshotReader;

// One further page of a grab, as it came.
struct FurtherPage
{
    enum class Outcome {
        Read,         // snapshot holds the page
        NeedsBrowser, // the page holds nothing until its scripts run: load it in the browser
        Failed        // failure says why
    };
    int index = 0; // its place in the grab's list
    QString name;
    QUrl address;
    Outcome outcome = Outcome::Failed;
    PageSnapshot snapshot;
    QString failure;
};

// The further pages of a grab (credits, companies, technical ...), asked for
// all at once over the network and read without the browser (parsing happens
// off the window's thread). pageReady() reports them in the order they were
// asked for, whatever order they come in.
class FurtherPages : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        QString name;
        QUrl address;
    };

    FurtherPages(PageFetcher& fetcher, std::shared_ptr<const HtmlSnapshotReader> reader, QObject* parent = nullptr);

    // Asks for every page; a set still under way is dropped.
    void start(const QList<Request>& pages);
    void cancel();
    bool running() const { return m_running; }
    // The names of the pages that have not come yet, in the order asked.
    QStringList waitingFor() const;

signals:
    void pageReady(const weblookup::FurtherPage& page);
    // A page has come (it may wait for the one before it to be reported).
    void arrived();
    // Every page has been reported.
    void finished();

private:
    void fetched(const FetchedPage& page);
    void read(int index, FurtherPage page);
    void report();

    PageFetcher& m_fetcher;
    std::shared_ptr<const HtmlSnapshotReader> m_reader;
    QList<Request> m_asked;
    QList<std::optional<FurtherPage>> m_done;
    QList<bool> m_arrived;
    int m_reported = 0;
    quint64 m_generation = 0;
    bool m_running = false;
};

} // namespace quelto::weblookup
