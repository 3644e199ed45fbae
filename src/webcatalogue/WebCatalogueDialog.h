#pragma once

#include <QDialog>
#include <functional>
#include <optional>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace quelto::webcatalogue {

// File > Export > "Web Catalogue...": the folder to write, whether the covers
// go with it and whether only the current search does. OK stays off until a
// folder is named.
class WebCatalogueDialog : public QDialog
{
    Q_OBJECT
public:
    // browse: asks for a folder, starting at the one given; nothing when cancelled.
    WebCatalogueDialog(std::function<std::optional<QString>(const QString&)> browse, QWidget* parent = nullptr);

    void setFolder(const QString& folder);
    QString folder() const;
    void setCoversAvailable(bool available);
    bool covers() const;
    // searchDescription: the search in force, empty when none (the choice is then off).
    void setSearch(const QString& searchDescription);
    bool onlySearch() const;

private:
    void updateOk();

    std::function<std::optional<QString>(const QString&)> m_browse;
    QLineEdit* m_folder;
    QCheckBox* m_covers;
    QCheckBox* m_onlySearch;
    QPushButton* m_ok;
};

} // namespace quelto::webcatalogue
