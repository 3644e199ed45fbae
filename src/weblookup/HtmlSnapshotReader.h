#pragma once

#include "weblookup/PageSnapshot.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace quelto::weblookup {

class LabelDictionary;

// Reads a page's HTML into the PageSnapshot the collector script gives in the
// browser (CollectorScript), without the engine: the same parts by the same
// rules and limits, from the page as the server sent it (its scripts do not
// run). The body text is the innerText without layout (HtmlDocument).
class HtmlSnapshotReader
{
public:
    // The labels as for CollectorScript::withLabels().
    HtmlSnapshotReader(const LabelDictionary& labels, const QStringList& extraLabels);

    // contentType is the answer's Content-Type header (its charset is used;
    // a type other than text or XHTML gives a snapshot without a body).
    PageSnapshot read(const QByteArray& html, const QByteArray& contentType, const QUrl& address) const;
    // The same as the collector's JSON text, for the engine's path of PageSnapshot::fromJson().
    QByteArray readJson(const QByteArray& html, const QByteArray& contentType, const QUrl& address) const;

    // Whether a page read this way holds nothing the lookup reads (an
    // application's empty shell that its scripts fill): such a page is to
    // be read in the browser instead.
    static bool needsScript(const PageSnapshot& page);

private:
    QSet<QString> m_known;
    QStringList m_prefixes;
    QStringList m_classWords;
};

} // namespace quelto::weblookup
