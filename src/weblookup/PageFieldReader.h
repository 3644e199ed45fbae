#pragma once

#include "weblookup/LabelDictionary.h"
#include "weblookup/LookupFields.h"
#include "weblookup/PageSnapshot.h"
#include "weblookup/SiteProfile.h"

#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

namespace quelto::weblookup {

// The values one page gives for the fields, by the sources a profile names
// for each: the first source that gives a value that passes ValueCheck wins;
// a value refused is noted in refusals ("mv_director: structured director
// (title page) gave \"NA\", a placeholder") and passed over for the next.
// A producer must be a company: a name the page gives as a person, or one
// of the people read for the other fields, is refused.
class PageFieldReader
{
public:
    struct Found
    {
        QStringList values;
        QString source; // "structured director", "label Sound Mix"
    };

    // sofar holds the fields read from the pages before: its people are no producers.
    PageFieldReader(const SiteProfile& profile, const LabelDictionary& labels, const PageSnapshot& page,
                    const LookupFields& sofar, QStringList& refusals, const QString& pageName);

    // A person read for a field, so that the producer does not name them.
    void addPerson(const QString& name);

    // The values of a column from its first source that gives any accepted.
    // The cast takes a longer list from a later source when the first one
    // names fewer than six and the longer one names the same lead.
    Found find(const QString& column);

private:
    // One value a source gives, with whether the page says it is a person.
    struct Candidate
    {
        QString text;
        bool person = false;
    };

    Found read(const QString& column, const FieldSource& source);
    static QList<Candidate> listItems(const QList<Candidate>& candidates);
    // What the values under a label give for a column.
    QList<Candidate> labelCandidates(const QString& column, const LabelledItem& item) const;
    // The checked values of the candidates; the refused ones are noted.
    Found accept(const QString& column, const QList<Candidate>& candidates, const QString& source);
    // The labelled item under label in the page's text.
    const LabelledItem* textLabelled(const QString& label);
    static const LabelledItem* findIn(const std::vector<LabelledItem>& items, LabelIndex& index,
                                      const QString& label);
    // The h1 that names the movie: the first one that the document title or
    // og:title also shows (a site's logo may come first), else the first.
    QString heading(bool withYear) const;

    const SiteProfile& m_profile;
    const LabelDictionary& m_labels;
    const PageSnapshot& m_page;
    QList<QJsonObject> m_items;
    QSet<QString> m_people; // case-folded
    QStringList& m_refusals;
    QString m_pageName;
    LabelIndex m_pageIndex;
    bool m_textRead = false;
    std::vector<LabelledItem> m_textItems;
    LabelIndex m_textIndex;
};

} // namespace quelto::weblookup
