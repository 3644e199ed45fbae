#pragma once

#include "importing/CatalogueReader.h"

#include <QHash>
#include <QSet>

class QIODevice;

namespace quelto::importing {

class ZipArchive;
struct XmlNode;

// Tellico's video collections: a .tc zip holding tellico.xml (read as it is
// unpacked) and its pictures under images/, or the bare XML with pictures written into it
// (<images>) or kept in the "<name>_files" folder beside it. Loans and
// embedded pictures come after the entries, so the file is read twice:
// once for them, once for the entries; counting it takes one pass.
class TellicoReader : public CatalogueReader
{
public:
    TellicoReader(QString path, bool isZip);
    ~TellicoReader() override;
    CatalogueFormat format() const override { return CatalogueFormat::Tellico; }
    void read(const Take& take, tasks::TaskControl* control) override;
    Totals count(const Glance& glance, tasks::TaskControl* control) override;

private:
    std::unique_ptr<QIODevice> openXml();
    void readSideData(tasks::TaskControl* control);
    ImportedMovie movieFrom(const XmlNode& entry) const;
    void attachCover(ImportedMovie& movie, const QString& imageId) const;
    // Whether a cover named by an entry is there, the pictures written into the file given.
    bool coverFound(const QString& imageId, const QSet<QString>& embedded) const;

    QString m_path;
    bool m_isZip;
    std::unique_ptr<ZipArchive> m_zip;
    QHash<QString, QByteArray> m_embedded;           // image id -> picture
    QHash<QString, std::vector<ImportedLoan>> m_loans; // entry id -> loans
    double m_ratingMaximum = 5;
};

} // namespace quelto::importing
