#pragma once

#include "exchange/CsvReader.h"

#include <QString>
#include <QVariant>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class QIODevice;

namespace quelto::exchange {

// The rows of a CSV file read and turned into values on a thread of their
// own, handed over in the file's order, so that reading and checking the
// file takes the second core while the caller stores or compares. A few
// batches are read ahead; memory stays small whatever the file's size.
//
// An error of the file (CsvReader's) comes out of next() after the rows
// before it. Destroying the object stops the reading.
class CsvConvertedRows
{
public:
    struct Row
    {
        CsvRecord record;
        // The converted values, or nothing and the reason it is refused.
        std::optional<std::vector<QVariant>> values;
        QString reason;
    };
    using Convert = std::function<std::optional<std::vector<QVariant>>(const std::vector<QVariant>& fields, QString& reason)>;

    static constexpr size_t BatchRows = 256;
    static constexpr size_t BatchesAhead = 8;

    // reader: positioned after the header; device: what it reads.
    CsvConvertedRows(std::unique_ptr<QIODevice> device, std::unique_ptr<CsvReader> reader, Convert convert);
    ~CsvConvertedRows();
    CsvConvertedRows(const CsvConvertedRows&) = delete;
    CsvConvertedRows& operator=(const CsvConvertedRows&) = delete;

    // The next row; false at the end of the file. Throws what reading threw.
    bool next(Row& row);
    // The bytes read from the file so far (ahead of the rows handed over).
    qint64 bytesRead() const { return m_bytesRead.load(std::memory_order_relaxed); }

private:
    void read();

    std::unique_ptr<QIODevice> m_device;
    std::unique_ptr<CsvReader> m_reader;
    Convert m_convert;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<Row>> m_batches;
    bool m_over = false; // the reader has handed over everything
    bool m_stop = false; // the caller is gone
    std::exception_ptr m_error;
    std::atomic<qint64> m_bytesRead{0};
    std::vector<Row> m_current;
    size_t m_position = 0;
    std::thread m_thread;
};

} // namespace quelto::exchange
