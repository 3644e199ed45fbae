#pragma once

#include <QObject>
#include <QString>

#include "editing/WindowParts.h"

class QNetworkAccessManager;

namespace quelto::collection {
class CoverDownload;
class CoverPicture;
} // namespace quelto::collection
namespace quelto::editing {
class CoverField;
}
namespace quelto::weblookup {
struct GrabResult;
class LookupTab;
} // namespace quelto::weblookup

namespace quelto::collection {

// What a grab gives beyond the movie's fields: the running time goes into
// its field on the Personal tab, and the poster is fetched (with the lookup
// browser's cookies, never from this machine or its network for a page on
// the open network) and becomes the record's cover, to be stored with Save.
// A poster that cannot be had is told in the status bar; the grab's fields
// stay as they are.
class GrabbedCover : public QObject
{
    Q_OBJECT
public:
    GrabbedCover(const editing::WindowParts& parts, weblookup::LookupTab& lookup, editing::CoverField& cover,
                 QObject* parent = nullptr);
    ~GrabbedCover() override;

    void take(const weblookup::GrabResult& result);
    collection::CoverDownload& download() { return *m_download; }

signals:
    // The poster of a grab has become the cover on screen, or could not.
    void settled(bool taken, const QString& message);

private:
    void fetched(const collection::CoverPicture& picture);
    void refused(const QString& problem);
    void tell(const QString& message);

    editing::WindowParts m_window;
    editing::CoverField& m_cover;
    QNetworkAccessManager* m_network;
    collection::CoverDownload* m_download;
    // The record the poster is for: the shown record's bookmark, or -1 for a
    // new record; a poster that arrives after another record came up is dropped.
    qint64 m_forRecord = -2;
    bool m_forNewRecord = false;
};

} // namespace quelto::collection
