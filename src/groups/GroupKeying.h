#pragma once

#include "groups/GroupCounts.h"
#include "groups/GroupField.h"

#include <QByteArray>
#include <QHash>
#include <string_view>
#include <vector>

namespace quelto::groups {

// Which groups a stored value puts a record in. A value is taken as the list
// shows it: Null, empty and spaces alone are no value; values that differ
// only in case or in spaces at their ends are one group. The full count and
// the change log both go through here, so they always agree.
class GroupKeying
{
public:
    // Joins the six cast names of one record in the change log.
    static constexpr char Separator = '\x1f';

    // borrowers: for the Borrower field, who has each tape out now, by
    // loans::LoanStore::tapeKey of its media ID.
    explicit GroupKeying(const GroupField& field, QHash<QByteArray, QString> borrowers = {});

    // Appends the groups of a value (of the field's column; for Cast the six
    // names joined by Separator) to out: one group, or for Cast one per name.
    void groupsOf(std::string_view raw, bool isNull, std::vector<Group>& out) const;

    static bool isBlank(std::string_view raw);
    // The text without the spaces at its ends.
    static std::string_view trimmed(std::string_view raw);
    // The identity of a text group: the catalogue's sort key of the text.
    static QByteArray textKey(std::string_view raw);
    // The decade of a year ("1954", "1954/I" -> "195"), empty when the text
    // does not start with four digits.
    static QString decadeDigits(std::string_view year);
    // A rating without its votes and the spaces around it: "7.8/10 (1,234 votes)" -> "7.8/10".
    static std::string_view ratingOf(std::string_view rating);
    // Whether a stored "seen" value says the movie was seen: anything but
    // nothing, 0, "no" and "false".
    static bool isSeen(std::string_view seen);
    static inline const QString SeenLabel = QStringLiteral("Seen");

    const GroupField& field() const { return m_field; }

private:
    void textGroup(std::string_view raw, std::vector<Group>& out) const;

    const GroupField& m_field;
    QHash<QByteArray, QString> m_borrowers;
};

} // namespace quelto::groups
