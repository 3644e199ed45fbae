#pragma once

#include <QString>

namespace quelto::editing {

class RecordCommands;
class RecordDisplay;
class UserPrompts;

// The guard against silent loss: before a command replaces the record on
// screen (or ends the program), settle() asks "Save changes to "<title>"?"
// when the fields differ from the record they show, or from the empty form of
// a new record. Save runs the record's Save command and the command goes on
// once it is stored (the window answering while the save waits for its long
// steps), Discard shows the record as stored again (or leaves new-record
// mode), Cancel changes nothing. While a Save waits, no command goes on.
class UnsavedChanges
{
public:
    static inline const QString NewRecordQuestion = QStringLiteral("Save the new record?");

    UnsavedChanges(RecordDisplay& display, RecordCommands& records, UserPrompts& prompts);

    bool hasChanges() const;
    // True when the command may go on: nothing was changed, the changes were
    // stored or the user threw them away. False after Cancel, when Save was
    // refused (the refusal has been shown and the fields stay as typed) or
    // its long steps cancelled, and while a Save waits for them.
    bool settle();

    // "Save changes to "Alien"?"; "Save the new record?" for a new one without a title.
    QString question() const;

private:
    RecordDisplay& m_display;
    RecordCommands& m_records;
    UserPrompts& m_prompts;
};

} // namespace quelto::editing
