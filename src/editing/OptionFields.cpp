#include "editing/OptionFields.h"

#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/RecordSet.h"
#include "editing/RecordForm.h"

#include <QComboBox>
#include <QStringList>

namespace quelto::editing {

using catalog::RecordSet;

void OptionFields::fill(RecordSet& set, const QList<QComboBox*>& boxes)
{
    QStringList entries;
    if (!(set.bof() && set.eof())) {
        set.moveFirst();
        while (!set.eof()) {
            entries << set.value(QStringLiteral("text")).toString();
            set.moveNext();
        }
        set.moveFirst();
    }
    for (QComboBox* box : boxes) {
        if (!box)
            continue;
        const QString shown = box->currentText();
        box->clear();
        box->addItems(entries);
        box->setCurrentIndex(-1);
        box->setEditText(shown);
    }
}

void OptionFields::fillAll(const catalog::CatalogState& state, const RecordForm& form)
{
    static const QStringList showFirst = {QStringLiteral("screenformat"), QStringLiteral("mediatype"),
                                          QStringLiteral("soundfmt"), QStringLiteral("vidfmt")};
    for (const catalog::OptionListDef& list : catalog::CatalogSchema::optionLists()) {
        RecordSet& set = state.optionSet(list.table);
        const QList<QComboBox*> boxes = form.boxesFor(list.table);
        fill(set, boxes);
        if (showFirst.contains(list.table) && !set.eof()) {
            for (QComboBox* box : boxes)
                box->setEditText(set.value(QStringLiteral("text")).toString());
        }
    }
    // The program's own lists, from the file or held in memory.
    for (const catalog::OptionListDef& list : catalog::CatalogSchema::ownOptionLists()) {
        const auto it = state.optionSets.find(list.table);
        if (it != state.optionSets.end() && it->second)
            fill(*it->second, form.boxesFor(list.table));
    }
}

} // namespace quelto::editing
