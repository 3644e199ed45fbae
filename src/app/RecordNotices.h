#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QStatusBar;

namespace quelto::catalog {
struct CatalogState;
}

namespace quelto::app {

// The status bar's lines about one record (the grab's summary and notice,
// the cover's notice, a passing message) go when another record or another
// catalogue comes up. Saving a new record keeps them: it is the same movie.
class RecordNotices : public QObject
{
    Q_OBJECT
public:
    RecordNotices(const catalog::CatalogState& state, QStatusBar* bar, QObject* parent = nullptr);

    // After every display of a record or of the empty form.
    void shown();
    // Another catalogue is open.
    void clear();

    // The status bar labels that speak of the record on show.
    static inline const QStringList LabelNames = {QStringLiteral("grabSummary"), QStringLiteral("grabNotice"),
                                                  QStringLiteral("coverNotice")};

private:
    static constexpr qint64 NewRecord = -1;
    static constexpr qint64 NoRecord = -2;
    qint64 shownKey() const;

    const catalog::CatalogState& m_state;
    QStatusBar* m_bar;
    qint64 m_shown = NoRecord;
    qint64 m_beforeNew = NoRecord; // the record on show when New was pressed
};

} // namespace quelto::app
