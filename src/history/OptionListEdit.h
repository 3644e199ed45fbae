#pragma once

#include "history/ArchiveRow.h"
#include "history/CatalogChange.h"

#include <vector>

namespace quelto::history {

// An option list saved in its editor: all its rows before and after.
class OptionListEdit : public CatalogChange
{
public:
    // title: the list as the window names it ("Genre").
    OptionListEdit(QString table, QString title, std::vector<ArchiveRow> before, std::vector<ArchiveRow> after);

    QString name() const override; // Edit of the "Genre" List
    void undo(catalog::SqliteConnection& connection, bool force) override;
    void redo(catalog::SqliteConnection& connection, bool force) override;
    QString optionList() const override { return m_table; }

private:
    void replace(catalog::SqliteConnection& connection, const std::vector<ArchiveRow>& expected,
                 std::vector<ArchiveRow>& target, bool force);

    QString m_table;
    QString m_title;
    std::vector<ArchiveRow> m_before;
    std::vector<ArchiveRow> m_after;
};

} // namespace quelto::history
