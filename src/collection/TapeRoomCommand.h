#pragma once

#include <QObject>
#include <QString>

#include "editing/WindowParts.h"

namespace quelto::collection {

class TapeRoomDialog;

// Search > "Tapes with Room...": asks for a running time and shows the
// records of every tape with a known length on which a movie of that length
// still fits, as a search result ("Room for 95 min: 3 tapes").
class TapeRoomCommand : public QObject
{
    Q_OBJECT
public:
    static inline const QString NoTape = QStringLiteral("No tape has room for %1 minutes%2.");

    explicit TapeRoomCommand(const editing::WindowParts& parts, QObject* parent = nullptr);

    void run();
    // The search itself, once the running time and speed are known.
    void search(int minutes, const QString& speed);
    TapeRoomDialog* dialog() const { return m_dialog; }

private:
    editing::WindowParts m_window;
    TapeRoomDialog* m_dialog = nullptr;
};

} // namespace quelto::collection
