#pragma once

#include "weblookup/PageSnapshot.h"

#include <QString>
#include <functional>
#include <optional>

class QWebEnginePage;

namespace quelto::weblookup {

// The engine reads a page asynchronously: each function returns at once and
// calls done later, on the same thread, once the text has arrived. done is
// not called when the page goes away first.
namespace PageReader {

// Everything the lookup reads from a document (see PageSnapshot), collected
// by script (CollectorScript); nothing when the page's
// answer cannot be read.
void readSnapshot(QWebEnginePage* page, const QString& script,
                  std::function<void(const std::optional<PageSnapshot>&)> done);

// The body's innerText; nothing when the document has no body.
void readBody(QWebEnginePage* page, std::function<void(const std::optional<QString>&)> done);

// Reads the body up to attempts times, one read after the other, until its
// text holds "Cast"; a failed read keeps the text read before. done gets the
// last text read (empty when every read failed).
void readCredits(QWebEnginePage* page, int attempts, std::function<void(const QString&)> done);

} // namespace PageReader
} // namespace quelto::weblookup
