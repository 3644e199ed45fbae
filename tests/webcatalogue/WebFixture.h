#pragma once

#include <QString>

namespace quelto::test {

// A catalogue for trying the web catalogue on: records with varied values
// (accented and hostile titles, numbered sequels, several media, genres,
// decades and locations), every coverEvery-th with a cover picture (0: none).
// The first records are always the same named ones the browser check looks for.
class WebFixture
{
public:
    static void create(const QString& path, int records, int coverEvery);
};

} // namespace quelto::test
