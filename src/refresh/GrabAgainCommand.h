#pragma once

#include "editing/WindowParts.h"
#include "refresh/FieldChanges.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QPushButton;

namespace quelto::editing {
class RecordCommands;
}
namespace quelto::weblookup {
struct GrabResult;
class LookupTab;
} // namespace quelto::weblookup

namespace quelto::refresh {

class PageRereader;
class SourceField;

// Records kept fresh: every grab leaves its page's address and billed cast
// in the form (SourceField) to be stored with the record, and "Grab Again"
// (beside "Grab Data !" and in the Edit menu) reads a saved record's
// page again and shows, field by field, what would change. The changes the
// user takes go into the form and are saved at once, as one step for Undo,
// with the write checks of every save (a record changed elsewhere meanwhile
// is not overwritten unasked). Personal fields are never touched.
class GrabAgainCommand : public QObject
{
    Q_OBJECT
public:
    static inline const QString Caption = QStringLiteral("Grab &Again");
    static inline const QString NoAddress =
        QStringLiteral("This record keeps no page address: it was not grabbed from a page or imported with one. "
                       "Grab it once with \"Grab Data !\" and save it.");
    static inline const QString NoSavedRecord = QStringLiteral("Grab Again reads the page of a saved record.");
    static inline const QString UnsavedFirst =
        QStringLiteral("The record shown has changes that are not saved. Save them or undo them first, then "
                       "Grab Again.");
    static inline const QString ReadOnly = QStringLiteral("The catalogue cannot be changed: %1");
    static inline const QString CannotRead = QStringLiteral("Grab Again could not read the page %1:\n%2");
    static inline const QString NothingChanged =
        QStringLiteral("The page gives nothing that differs from the record.");
    static inline const QString MovedOn =
        QStringLiteral("Another record was shown while the page was read; nothing was taken.");

    GrabAgainCommand(const editing::WindowParts& parts, weblookup::LookupTab& lookup,
                     editing::RecordCommands& records, QObject* parent = nullptr);
    ~GrabAgainCommand() override;

    void setRereader(std::unique_ptr<PageRereader> rereader);
    // How a grab's value is spelled in a box of the form (the alias table and
    // the spellings in use); without it a value stays as the page gives it.
    using Respelling = std::function<QString(const QComboBox* box, const QString& value)>;
    void setRespelling(Respelling respelling) { m_respelling = std::move(respelling); }
    SourceField& source() { return *m_source; }
    QAction* action() const { return m_action; }
    QPushButton* button() const { return m_button; }

    // Why the command cannot run for the record on show; empty when it can.
    QString whyNot() const;
    // The command: reads the page, asks, takes and saves.
    void run();
    bool isRunning() const { return m_running; }

signals:
    // A Grab Again has ended (taken, declined or failed).
    void finished();

private:
    void update();
    void grabbed(const weblookup::GrabResult& result);

    editing::WindowParts m_parts;
    editing::RecordCommands& m_records;
    SourceField* m_source;
    std::unique_ptr<PageRereader> m_rereader;
    Respelling m_respelling;
    QAction* m_action;
    QPushButton* m_button = nullptr;
    bool m_running = false;
};

} // namespace quelto::refresh
