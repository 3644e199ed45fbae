#pragma once

#include <QCompleter>

class QAbstractItemModel;

namespace quelto::editing {

// A drop-down's completion that offers the entries beginning with what is
// typed, case and accents aside by the catalogue's folding ("amelie" offers
// "Amélie", "oedipe" "Œdipe"); the entry taken keeps its own spelling.
class FoldingCompleter : public QCompleter
{
    Q_OBJECT
public:
    explicit FoldingCompleter(QAbstractItemModel* model, QObject* parent = nullptr);

    // Offers the entries of model (it stays the caller's).
    void setSourceModel(QAbstractItemModel* model);

    QStringList splitPath(const QString& path) const override;
    QString pathFromIndex(const QModelIndex& index) const override;

private:
    class Matching;
    Matching* m_matching;
};

} // namespace quelto::editing
