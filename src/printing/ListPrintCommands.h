#pragma once

#include "printing/CatalogueLists.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

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
// the order in force. The pages are laid out and printed off the window's
// thread, a page at a time, with progress and Cancel. Afterwards the record
// set and the window stand on its first row.
class ListPrintCommands
{
public:
    static inline const QString NoRecordsFound = QStringLiteral("No records found.");
    static inline const QString PrintFailed = QStringLiteral("The printer could not print the list.");
    static inline const QString PdfFailed = QStringLiteral("The PDF file could not be written.");
    static inline const QString Cancelled = QStringLiteral("The list was cancelled; nothing was printed.");
    static inline const QString PdfCancelled =
        QStringLiteral("The list was cancelled; \"%1\" was not written.");
    // More records than a preview can show at once.
    static constexpr int PreviewLimit = 5000;
    static inline const QString TooLongToPreview = QStringLiteral(
        "The list has %1 records, too many to preview. Print it, or export it as PDF and look at the file.");
    // A preview holds every page with its pictures: fewer with covers.
    static constexpr int PreviewCoverLimit = 200;
    static inline const QString TooLongToPreviewWithCovers =
        QStringLiteral("The list has %1 records, too many to preview with covers. Print it, or export it as PDF "
                       "and look at the file.");

    using Clock = std::function<QDate()>;
    using Kind = ListKind;

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
    // Whether the long list shows each record's cover (File > Long List with
    // Covers, kept in the settings by ListPrintOptions).
    void setLongListCovers(bool withCovers) { m_longListCovers = withCovers; }
    bool longListCovers() const { return m_longListCovers; }
    // The heading's date in the system's short date format.
    QString dateText() const;

    static QString heading(Kind kind, bool filterActive, const QString& description, const QString& date);
    static QString title(Kind kind) { return kind == Kind::Long ? CatalogueLists::LongTitle : CatalogueLists::ShortTitle; }

private:
    // The keys of the current record set, re-run; nothing when the set is
    // empty (the long list says so) or the engine failed (said too).
    std::optional<std::vector<qint64>> keysToPrint(Kind kind);
    bool preview(Kind kind, const std::vector<qint64>& keys, const QString& heading);
    bool withCovers(Kind kind) const { return kind == Kind::Long && m_longListCovers; }
    void showFirstRow();

    catalog::CatalogState& m_state;
    editing::RecordDisplay& m_display;
    editing::UserPrompts& m_prompts;
    PrintDevices& m_devices;
    QWidget* m_window;
    Clock m_clock = [] { return QDate::currentDate(); };
    bool m_longListCovers = false;
};

} // namespace quelto::printing
