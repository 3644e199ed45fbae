#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace quelto::editing {
class UserPrompts;
}

namespace quelto::app {

// promptdb: asks which catalogue to use when none is found, with the
// program's version in its welcome and ~/quelto.mdb proposed. "That's it !"
// accepts the typed path, "Cancel" and the close box reject.
class DatabaseDialog : public QDialog
{
    Q_OBJECT
public:
    // files: where the file dialog of "Browse" is asked.
    explicit DatabaseDialog(editing::UserPrompts& files, QWidget* parent = nullptr);

    QString path() const;
    void setPath(const QString& path);

    // Where a name typed into the dialog points: a relative one lies in the
    // user's documents folder (the home folder when there is none).
    static QString fullPath(const QString& typed);
    // What the dialog proposes at first: quelto.mdb in the home folder.
    static QString proposedPath();

private:
    void browse();

    editing::UserPrompts& m_files;
    QLineEdit* m_path;
    QPushButton* m_useit;
    QString m_browseName; // the file dialog's current name, kept across its uses
};

} // namespace quelto::app
