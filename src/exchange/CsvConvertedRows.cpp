#include "exchange/CsvConvertedRows.h"

#include <QIODevice>

namespace quelto::exchange {

CsvConvertedRows::CsvConvertedRows(std::unique_ptr<QIODevice> device, std::unique_ptr<CsvReader> reader,
                                   Convert convert)
    : m_device(std::move(device)), m_reader(std::move(reader)), m_convert(std::move(convert))
{
    m_thread = std::thread([this] { read(); });
}

CsvConvertedRows::~CsvConvertedRows()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void CsvConvertedRows::read()
{
    std::exception_ptr error;
    bool more = true;
    while (more) {
        std::vector<Row> batch;
        batch.reserve(BatchRows);
        try {
            while (batch.size() < BatchRows) {
                Row row;
                if (!m_reader->next(row.record)) {
                    more = false;
                    break;
                }
                row.values = m_convert(row.record.fields, row.reason);
                batch.push_back(std::move(row));
            }
        } catch (...) {
            // The rows before the error are handed over first.
            error = std::current_exception();
            more = false;
        }
        m_bytesRead.store(m_reader->bytesRead(), std::memory_order_relaxed);
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_stop || m_batches.size() < BatchesAhead; });
        if (m_stop)
            return;
        if (!batch.empty())
            m_batches.push_back(std::move(batch));
        if (!more) {
            m_over = true;
            m_error = error;
        }
        lock.unlock();
        m_changed.notify_all();
    }
}

bool CsvConvertedRows::next(Row& row)
{
    if (m_position >= m_current.size()) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_batches.empty() || m_over; });
        if (m_batches.empty()) {
            if (m_error)
                std::rethrow_exception(m_error);
            return false;
        }
        m_current = std::move(m_batches.front());
        m_batches.pop_front();
        m_position = 0;
        lock.unlock();
        m_changed.notify_all();
    }
    row = std::move(m_current[m_position++]);
    return true;
}

} // namespace quelto::exchange
