#include "editing/FoldingCompleter.h"

#include "catalog/TextFold.h"

#include <QIdentityProxyModel>

namespace quelto::editing {

namespace {
constexpr int MatchRole = Qt::UserRole + 0x5147;
}

// The entries as the completer compares them: an entry whose folding begins
// with the typed text's folding reads as the typed text followed by itself,
// any other as itself behind a character nobody types.
class FoldingCompleter::Matching : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    void setTyped(const QString& typed)
    {
        m_typed = typed;
        m_folded = catalog::TextFold::folded(typed);
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != MatchRole)
            return QIdentityProxyModel::data(index, role);
        const QString text = QIdentityProxyModel::data(index, Qt::DisplayRole).toString();
        if (!m_folded.isEmpty() && catalog::TextFold::folded(text).startsWith(m_folded))
            return QString(m_typed + text);
        return QString(QChar(0xFFFF) + text);
    }

private:
    QString m_typed;
    QString m_folded;
};

FoldingCompleter::FoldingCompleter(QAbstractItemModel* model, QObject* parent)
    : QCompleter(parent)
    , m_matching(new Matching(this))
{
    m_matching->setSourceModel(model);
    setModel(m_matching);
    setCompletionRole(MatchRole);
    setCaseSensitivity(Qt::CaseInsensitive);
    setFilterMode(Qt::MatchStartsWith);
    setModelSorting(QCompleter::UnsortedModel);
}

void FoldingCompleter::setSourceModel(QAbstractItemModel* model)
{
    m_matching->setSourceModel(model);
    // The completer drops what it found for the entries before.
    setModel(m_matching);
}

QStringList FoldingCompleter::splitPath(const QString& path) const
{
    // The completer asks this before it filters: the entries are compared
    // against this text from here on.
    m_matching->setTyped(path);
    return {path};
}

QString FoldingCompleter::pathFromIndex(const QModelIndex& index) const
{
    return index.data(Qt::DisplayRole).toString();
}

} // namespace quelto::editing
