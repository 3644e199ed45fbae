#pragma once

#include <QString>
#include <memory>

class QTemporaryDir;

namespace quelto::webcatalogue {

// The folder a web catalogue is written to. Everything goes into a temporary
// folder beside it first, which takes the folder's place only once the whole
// export is written; a failed or cancelled export leaves the folder as it was
// and removes what it wrote. Each export leaves a marker file, so that a later
// export knows the folder as its own and replaces it without asking.
class WebCatalogueFolder
{
public:
    static inline const QString MarkerName = QStringLiteral(".quelto-web-catalogue");

    enum class State
    {
        Missing,   // nothing there yet
        Empty,     // an empty folder
        OwnExport, // an earlier web catalogue (it holds the marker)
        Foreign,   // a folder with other files: replaced only when the user agrees
        NotAFolder // a file or something else that is no folder
    };
    static State inspect(const QString& folder);

    // Why the folder must never be replaced, empty when it may: the root, the
    // home folder or a folder above it, or a folder that holds the catalogue.
    static QString refusal(const QString& folder, const QString& cataloguePath);

    // Makes the temporary folder beside folder; throws catalog::EngineError
    // when it cannot be made.
    explicit WebCatalogueFolder(const QString& folder);
    ~WebCatalogueFolder(); // removes the temporary folder unless commit() ran
    WebCatalogueFolder(const WebCatalogueFolder&) = delete;
    WebCatalogueFolder& operator=(const WebCatalogueFolder&) = delete;

    const QString& target() const { return m_target; }
    // Where the files are written meanwhile.
    QString path() const;
    QString filePath(const QString& name) const;

    // Writes the marker and puts the temporary folder in the target's place,
    // removing an earlier one. Throws catalog::EngineError when the rename
    // fails; the earlier folder is then kept.
    void commit();

private:
    QString m_target;
    std::unique_ptr<QTemporaryDir> m_temporary;
};

} // namespace quelto::webcatalogue
