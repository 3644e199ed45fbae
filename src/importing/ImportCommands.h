#pragma once

#include "editing/WindowParts.h"

#include <functional>
#include <optional>
#include <QObject>
#include <QString>

namespace quelto::history {
class CatalogHistory;
}

namespace quelto::importing {

struct ImportPreview;

// File > Import > "From Another Catalogue...": a file of another catalogue
// program or service is read first (off the window's thread, with progress
// and Cancel) and the user sees what it holds: its format, its movies, covers
// and loans, and how many of them the catalogue holds already. Only then is
// it imported, in one transaction that Cancel undoes whole; a summary says
// what came in and what was left out, and why. The records added are one
// step of Undo.
class ImportCommands : public QObject
{
    Q_OBJECT
public:
    static inline const QString Caption = QStringLiteral("Import From Another Catalogue");
    static inline const QString FolderCaption = QStringLiteral("Import a Folder of Kodi .nfo Files");
    static inline const QString PrefixQuestion =
        QStringLiteral("%1 of the movies have no number of their own in the file.\nTheir media IDs are a prefix "
                       "and a number (I-1, I-2, ...). The prefix:");
    static inline const QString CannotImport = QStringLiteral("Cannot import: %1");
    static inline const QString ImportCancelled =
        QStringLiteral("The import was cancelled; nothing was stored.");
    static inline const QString NothingToImport = QStringLiteral("\"%1\" (%2) holds no movies.");
    static inline const QString Import = QStringLiteral("&Import");
    static inline const QString UpdateAndAdd = QStringLiteral("Update and &Add");
    static inline const QString UpdateOnly = QStringLiteral("&Update Only");
    static inline const QString Cancel = QStringLiteral("&Cancel");

    // mayReplaceRecord: asked before an import changes the record on screen.
    ImportCommands(const editing::WindowParts& parts, history::CatalogHistory& history,
                   std::function<bool()> mayReplaceRecord, QObject* parent = nullptr);

    void importOther(); // mnImportOther
    void importNfoFolder(); // mnImportNfoFolder: a folder of Kodi movie .nfo files
    // The same for a file already chosen (tests, a file dropped on the window).
    void importFile(const QString& path);

signals:
    // Records were appended: the keys firstKey to lastKey, all of them.
    void imported(qint64 firstKey, qint64 lastKey);

private:
    // What the user decides once the file has been read.
    enum class Decision
    {
        Add,          // a collection: the movies not in the catalogue yet
        UpdateOnly,   // a watch list: the matching records only
        UpdateAndAdd, // a watch list: the matching records, and the others added
        Stop
    };
    Decision decide(const ImportPreview& preview);
    // Whether the catalogue may be written now; says why not.
    bool mayImport();
    // The media ID prefix for movies without a number; nothing on Cancel.
    std::optional<QString> askPrefix(qint64 unnumbered);

    editing::WindowParts m_window;
    history::CatalogHistory& m_history;
    std::function<bool()> m_mayReplaceRecord;
    QString m_prefix; // the prefix chosen last, offered again
};

} // namespace quelto::importing
