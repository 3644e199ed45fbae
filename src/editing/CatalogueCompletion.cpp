#include "editing/CatalogueCompletion.h"

#include "catalog/EngineError.h"
#include "catalog/SqliteConnection.h"
#include "catalog/TextFold.h"
#include "editing/FieldBinding.h"
#include "editing/FoldingCompleter.h"

#include <QCoreApplication>
#include <QComboBox>
#include <QCompleter>
#include <QConcatenateTablesProxyModel>
#include <QLineEdit>
#include <QMetaObject>
#include <QStringListModel>
#include <thread>

namespace quelto::editing {

CatalogueCompletion::CatalogueCompletion(const RecordForm& form, QObject* parent)
    : QObject(parent)
{
    for (const FieldBinding& binding : FieldBinding::of(form)) {
        auto* box = qobject_cast<QComboBox*>(binding.widget());
        if (box && binding.column().startsWith(QLatin1String("mv_")))
            m_movieBoxes.push_back(box);
        const std::optional<completion::CatalogValues::Kind> kind = completion::CatalogValues::kindOf(binding.column());
        if (!box || !kind || !box->completer() || !box->lineEdit())
            continue;
        // The option list's entries first, then the catalogue's values.
        auto* offered = new QStringListModel(box);
        auto* both = new QConcatenateTablesProxyModel(box);
        both->addSourceModel(box->model());
        both->addSourceModel(offered);
        if (auto* folding = qobject_cast<FoldingCompleter*>(box->completer()))
            folding->setSourceModel(both);
        else
            box->completer()->setModel(both);
        m_fields.push_back({box, *kind, offered});
        const Field field = m_fields.back();
        connect(box->lineEdit(), &QLineEdit::textEdited, this, [this, field](const QString& text) { offer(field, text); });
    }
}

CatalogueCompletion::~CatalogueCompletion() = default;

void CatalogueCompletion::offer(const Field& field, const QString& text)
{
    QStringList values = m_values.beginningWith(field.kind, text, MaxOffered);
    // What the option list offers already is not offered twice.
    values.removeIf([&](const QString& value) {
        return field.box->findText(value, Qt::MatchFixedString) >= 0 || value == text;
    });
    if (values == field.offered->stringList())
        return;
    field.offered->setStringList(values);
    // The completer filtered before the new values came: it looks again.
    QCompleter* completer = field.box->completer();
    if (!text.isEmpty() && field.box->lineEdit()->hasFocus()) {
        completer->setCompletionPrefix(text);
        completer->complete();
    }
}

void CatalogueCompletion::readCatalogue(const QString& path)
{
    const quint64 generation = ++m_generation;
    m_ready = false;
    m_values = completion::CatalogValues();
    m_noted.clear();
    if (path.isEmpty())
        return;
    QPointer<CatalogueCompletion> self(this);
    std::thread([self, path, generation] {
        auto values = std::make_shared<completion::CatalogValues>();
        try {
            auto connection = catalog::SqliteConnection::open(path, catalog::SqliteConnection::Mode::OpenReadOnly);
            *values = completion::CatalogValues::read(*connection);
        } catch (const catalog::EngineError&) {
            // Nothing to offer beyond the option lists.
        }
        QMetaObject::invokeMethod(
            qApp,
            [self, values, generation] {
                if (!self || generation != self->m_generation)
                    return;
                self->m_values = std::move(*values);
                // The records shown meanwhile add theirs.
                for (const auto& [kind, value] : std::as_const(self->m_noted))
                    self->m_values.add(kind, value);
                self->m_noted.clear();
                self->m_ready = true;
                emit self->valuesRead();
            },
            Qt::QueuedConnection);
    }).detach();
}

void CatalogueCompletion::respellGrabbed(const completion::SpellingMap& map)
{
    for (QComboBox* box : m_movieBoxes) {
        const QString text = box->currentText();
        const QString spelled = respelled(box, text, map);
        if (spelled != text) {
            box->setCurrentText(spelled);
            box->setToolTip(spelled);
            if (QLineEdit* edit = box->lineEdit())
                edit->setCursorPosition(0);
        }
    }
}

QString CatalogueCompletion::respelled(const QComboBox* box, const QString& value,
                                       const completion::SpellingMap& map) const
{
    if (std::find(m_movieBoxes.begin(), m_movieBoxes.end(), box) == m_movieBoxes.end())
        return value;
    {
        std::optional<completion::CatalogValues::Kind> kind;
        for (const Field& field : m_fields) {
            if (field.box == box)
                kind = field.kind;
        }
        const auto known = [&](const QString& value) -> QString {
            const QString folded = catalog::TextFold::folded(value.trimmed());
            for (int i = 0; i < box->count(); ++i) {
                if (catalog::TextFold::folded(box->itemText(i).trimmed()) == folded)
                    return box->itemText(i).trimmed();
            }
            return kind ? m_values.spellingOf(*kind, value) : QString();
        };
        return map.spell(value, known);
    }
}

void CatalogueCompletion::noteShownRecord()
{
    for (const Field& field : m_fields) {
        const QString value = field.box->currentText();
        if (value.trimmed().isEmpty())
            continue;
        m_values.add(field.kind, value);
        if (!m_ready)
            m_noted.append({field.kind, value});
    }
}

} // namespace quelto::editing
