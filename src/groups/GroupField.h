#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace quelto::groups {

// A field the group pane can group the records by.
struct GroupField
{
    enum class Kind
    {
        Text,     // one column, each value a group
        Decade,   // the year's decade: "1950s"
        Borrower, // who has the record's tape now
        Cast,     // the six cast columns: a record is in the group of each cast member
        Rating,   // the web site's rating without its votes: "7.8/10 (12,345 votes)" is "7.8/10"
        Number,   // a number, shown without a needless ".0"
        Seen      // seen (a date, "seen", 1) or not
    };

    QString id;      // kept in the settings
    QString caption; // "Genre"; leads the filter description
    QString column;  // of archive; catalog for Borrower, empty for Cast
    Kind kind = Kind::Text;
    // A Text field a grab may fill with several values (" / " between them):
    // a record is in the group of each.
    bool list = false;

    // Every field, the ones people group by most first.
    static const std::vector<GroupField>& all();
    static const GroupField* byId(const QString& id);
    static const GroupField& defaultField(); // Genre

    // The archive columns the field reads.
    QStringList columns() const;
    // A column of Quelto's own that a catalogue may not have yet.
    bool isOwnColumn() const { return column.startsWith(QLatin1String("quelto_")); }
};

} // namespace quelto::groups
