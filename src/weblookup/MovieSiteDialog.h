#pragma once

#include <QDialog>
#include <QUrl>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quelto::weblookup {

// Asks for the movie site's server: scheme and host, such as
// "https://www.imdb.com" or the sample site on "http://127.0.0.1:8642".
class MovieSiteDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MovieSiteDialog(const QUrl& current, QWidget* parent = nullptr);

    QLineEdit* address() const { return m_address; }
    QPushButton* publicSite() const { return m_public; }
    QPushButton* okButton() const { return m_ok; }
    QLabel* problem() const { return m_problem; }

    // The server the user settled on; nothing when the dialog was cancelled.
    const std::optional<QUrl>& chosen() const { return m_chosen; }

private:
    void tryAccept();

    QLineEdit* m_address;
    QPushButton* m_public;
    QPushButton* m_ok;
    QLabel* m_problem;
    std::optional<QUrl> m_chosen;
};

} // namespace quelto::weblookup
