#include "weblookup/FurtherPages.h"

#include "weblookup/HtmlSnapshotReader.h"

#include <QPointer>
#include <QThreadPool>

namespace quelto::weblookup {

FurtherPages::FurtherPages(PageFetcher& fetcher, std::shared_ptr<const HtmlSnapshotReader> reader, QObject* parent)
    : QObject(parent), m_fetcher(fetcher), m_reader(std::move(reader))
{
    connect(&m_fetcher, &PageFetcher::fetched, this, &FurtherPages::fetched);
}

void FurtherPages::start(const QList<Request>& pages)
{
    cancel();
    ++m_generation;
    m_asked = pages;
    m_done = QList<std::optional<FurtherPage>>(pages.size());
    m_arrived = QList<bool>(pages.size(), false);
    m_reported = 0;
    m_running = true;
    for (const Request& r : pages)
        m_fetcher.fetch(r.address, r.name);
    report();
}

void FurtherPages::cancel()
{
    ++m_generation;
    m_fetcher.cancel();
    m_running = false;
    m_asked.clear();
    m_done.clear();
    m_arrived.clear();
    m_reported = 0;
}

QStringList FurtherPages::waitingFor() const
{
    QStringList names;
    for (qsizetype i = 0; i < m_asked.size(); ++i) {
        if (!m_arrived.value(i))
            names.append(m_asked[i].name);
    }
    return names;
}

void FurtherPages::fetched(const FetchedPage& fetched)
{
    qsizetype index = -1;
    for (qsizetype i = 0; i < m_asked.size() && index < 0; ++i) {
        if (!m_arrived[i] && m_asked[i].name == fetched.name && m_asked[i].address == fetched.address)
            index = i;
    }
    if (index < 0)
        return;
    m_arrived[index] = true;
    emit arrived();
    FurtherPage page;
    page.index = int(index);
    page.name = fetched.name;
    page.address = fetched.address;
    if (!fetched.ok()) {
        page.failure = fetched.failure;
        m_done[index] = page;
        report();
        return;
    }
    // The parsing of a large page takes a while: off the window's thread.
    QPointer<FurtherPages> self(this);
    const quint64 generation = m_generation;
    auto reader = m_reader;
    m_done[index] = std::nullopt;
    QThreadPool::globalInstance()->start([self, generation, reader, fetched, page]() mutable {
        page.snapshot = reader->read(fetched.body, fetched.contentType, fetched.finalAddress);
        page.outcome = HtmlSnapshotReader::needsScript(page.snapshot) ? FurtherPage::Outcome::NeedsBrowser
            : page.snapshot.hasBody                                 ? FurtherPage::Outcome::Read
                                                                    : FurtherPage::Outcome::Failed;
        if (page.outcome == FurtherPage::Outcome::Failed)
            page.failure = QStringLiteral("is not a web page");
        QMetaObject::invokeMethod(
            self.get(),
            [self, generation, page = std::move(page)]() mutable {
                if (self && self->m_generation == generation)
                    self->read(page.index, std::move(page));
            },
            Qt::QueuedConnection);
    });
}

void FurtherPages::read(int index, FurtherPage page)
{
    if (index < 0 || index >= m_done.size())
        return;
    m_done[index] = std::move(page);
    report();
}

void FurtherPages::report()
{
    const quint64 generation = m_generation;
    while (m_running && m_reported < m_done.size() && m_done[m_reported]) {
        const FurtherPage page = *m_done[m_reported];
        ++m_reported;
        emit pageReady(page);
        if (m_generation != generation)
            return; // cancelled or started again by a receiver
    }
    if (m_running && m_reported == m_done.size()) {
        m_running = false;
        emit finished();
    }
}

} // namespace quelto::weblookup
