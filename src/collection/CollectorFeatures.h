#pragma once

#include "editing/WindowParts.h"

#include <functional>
#include <memory>
#include <QObject>

class QTabWidget;

namespace quelto::collection {
class CoverCheck;
}
namespace quelto::editing {
class CoverField;
class PersonalFields;
class TapeFields;
} // namespace quelto::editing
namespace quelto::search {
class RecordListCommands;
}
namespace quelto::weblookup {
class LookupTab;
}

namespace quelto::collection {

class CoversCommands;
class CoversPane;
class GrabbedCover;
class TapePanel;
class TapeRoomCommand;

// What the collector keeps beside the movie's data, joined to the main
// window: the personal fields, the cover, the tape and its free minutes.
class CollectorFeatures : public QObject
{
    Q_OBJECT
public:
    // What to do when the covers' check finds the catalogue at a path damaged.
    using DamageFound = std::function<void(const QString& path, const QString& problems)>;

    // The Covers view becomes a tab of tabs; the tape panel goes beside the
    // fields of the Media tab, its first.
    CollectorFeatures(const editing::WindowParts& parts, QTabWidget& tabs, weblookup::LookupTab& lookup,
                      DamageFound damageFound, QObject* parent = nullptr);
    // The record list the Covers view follows, once there is one.
    void setRecordList(search::RecordListCommands& list);
    ~CollectorFeatures() override;

    editing::PersonalFields& personal() { return *m_personal; }
    editing::TapeFields& tape() { return *m_tape; }
    editing::CoverField& cover() { return *m_cover; }
    TapePanel& tapePanel() { return *m_tapePanel; }
    CoversPane& coversPane() { return *m_coversPane; }
    CoversCommands& covers() { return *m_covers; }
    TapeRoomCommand& tapeRoom() { return *m_tapeRoom; }
    GrabbedCover& grabbedCover() { return *m_grabbedCover; }

private:
    // After a catalogue has opened: its covers, which opening does not read,
    // are checked on a worker thread.
    void checkCoversOf(const QString& path);

    editing::WindowParts m_window;
    DamageFound m_damageFound;
    std::unique_ptr<editing::PersonalFields> m_personal;
    std::unique_ptr<editing::TapeFields> m_tape;
    editing::CoverField* m_cover;
    TapePanel* m_tapePanel;
    CoversPane* m_coversPane;
    CoversCommands* m_covers;
    TapeRoomCommand* m_tapeRoom;
    GrabbedCover* m_grabbedCover;
    std::unique_ptr<collection::CoverCheck> m_coverCheck;
};

} // namespace quelto::collection
