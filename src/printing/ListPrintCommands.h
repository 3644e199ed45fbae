#pragma once

#include "printing/CatalogueLists.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace quelto::catalog {
class RecordSet;
struct CatalogState;
} // namespace quelto::catalog
namespace quelto::editing {
class RecordDisplay;
class UserPrompts;
} // namespace quelto::editing

namespace quelto::printing {

class PrintDevices;

// The long and the short list of the current record set, with the filter and
// the order in force. Afterwards the record set and the window stand on its
// first row.
class ListPrintCommands
{
public:
    static inline const QString NoRecordsFound = QStringLiteral("No records found.");
    static inline const QString PrintFailed = QStringLiteral("The printer could not print the list.");
    static inline const QString PdfFailed = QStringLiteral("The PDF file could not be written.");

    using Clock = std::function<QDate()>;

    enum class Kind
    {
        Long,
        Short
    };
    enum class Route
    {
        Printer, // the printer dialog, then the printer
        Preview, // a preview that can print
        Pdf      // a PDF file the user names
    };

    ListPrintCommands(catalog::CatalogState& state, editing::RecordDisplay& display, editing::UserPrompts& prompts,
                      PrintDevices& devices, QWidget* window);

    void printLongList();  // mnPrintLong
    void printShortList(); // mnPrintShort
    void run(Kind kind, Route route);

    void setClock(Clock clock) { m_clock = std::move(clock); }
    // The heading's date in the system's short date format.
    QString dateText() const;

    // Every row of a set from its first, each column as text (no value reads as empty).
    static QList<ListRow> readRows(catalog::RecordSet& set);

    // The list's pages for a printable area; no rows give no pages.
    static PrintDocument layout(Kind kind, const QList<ListRow>& rows, const QString& heading, double printableHeight);
    static QString heading(Kind kind, bool filterActive, const QString& description, const QString& date);

private:
    // The rows of the current record set, re-run; nothing when the set is
    // empty (the long list says so) or the engine failed (said too).
    std::optional<QList<ListRow>> rowsToPrint(Kind kind);
    void showFirstRow();

    catalog::CatalogState& m_state;
    editing::RecordDisplay& m_display;
    editing::UserPrompts& m_prompts;
    PrintDevices& m_devices;
    QWidget* m_window;
    Clock m_clock = [] { return QDate::currentDate(); };
};

} // namespace quelto::printing
