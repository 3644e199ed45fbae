#pragma once

#include <QString>

namespace quelto::collection {
class CoverPicture;
}

namespace quelto::exchange {

// The folder of cover pictures an export "with covers" writes beside its CSV
// file ("movies.csv" gets "movies-covers"), one file a record named by its
// identity. The pictures go into a folder of their own first
// ("movies-covers.partial"), which takes the folder's place only when the whole
// export is written; a failed or cancelled export leaves an older folder as it
// was and removes what it wrote.
class CsvCoverFolder
{
public:
    explicit CsvCoverFolder(const QString& csvPath);
    ~CsvCoverFolder(); // removes the pictures unless commit() ran
    CsvCoverFolder(const CsvCoverFolder&) = delete;
    CsvCoverFolder& operator=(const CsvCoverFolder&) = delete;

    // The folder beside the CSV file: the place the pictures end up.
    static QString besideExport(const QString& csvPath);

    // Writes a record's picture; returns its name as the "cover" column gives
    // it, relative to the CSV's folder. Throws catalog::EngineError when it
    // cannot be written.
    QString write(qint64 recordId, const collection::CoverPicture& picture);
    int written() const { return m_written; }

    // Puts the pictures in place of an older folder of the same name.
    void commit();

    // The folders of exports that were killed before they ended: an unfinished
    // ".partial" folder goes, and a folder that was being replaced comes back.
    // Each export notes its folder (with its process) in the settings until
    // it ends; those of exports still running are left alone.
    static int removeLeftovers();

private:
    void prepare();
    void noteUnfinished(bool unfinished);

    QString m_final;   // .../movies-covers
    QString m_partial; // .../movies-covers.partial
    QString m_name;    // movies-covers
    bool m_prepared = false;
    bool m_committed = false;
    int m_written = 0;
};

} // namespace quelto::exchange
