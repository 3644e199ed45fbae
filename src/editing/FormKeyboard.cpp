#include "editing/FormKeyboard.h"

#include "catalog/CatalogState.h"
#include "editing/FieldLineEdit.h"
#include "editing/RecordForm.h"
#include "editing/StarRating.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>

#include <utility>

namespace quelto::editing {

FormKeyboard::FormKeyboard(editing::RecordForm& form, const catalog::CatalogState& state, QTabWidget* tabs,
                           const QList<QWidget*>& areas, QObject* parent)
    : QObject(parent), m_form(form), m_state(state), m_tabs(tabs)
{
    addRecordKey(QKeySequence(Qt::CTRL | Qt::Key_N), form.dbNew, areas);
    addRecordKey(QKeySequence(Qt::CTRL | Qt::Key_S), form.dbSave, areas);
    addRecordKey(QKeySequence(Qt::CTRL | Qt::Key_Home), form.dbFirst, areas);
    addRecordKey(QKeySequence(Qt::Key_PageUp), form.dbPrev, areas);
    addRecordKey(QKeySequence(Qt::Key_PageDown), form.dbNext, areas);
    addRecordKey(QKeySequence(Qt::CTRL | Qt::Key_End), form.dbLast, areas);
    for (QWidget* area : areas) {
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), area, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(escape, &QShortcut::activated, this, &FormKeyboard::escape);
    }
    m_claimed << QKeySequence(Qt::Key_Escape);
    addOptionListKeys();
    buildChains();

    // Text fields keep some of these keys for themselves (Ctrl+Home, Ctrl+E
    // on X11); the form claims them first.
    for (const editing::RecordForm::EditButton& edit : form.editButtons) {
        edit.box->installEventFilter(this);
        if (QLineEdit* text = edit.box->lineEdit())
            text->installEventFilter(this);
    }
    for (QWidget* area : areas) {
        for (QComboBox* box : area->findChildren<QComboBox*>())
            watchCompletion(box);
    }
    if (form.notes)
        form.notes->installEventFilter(this);
    for (QWidget* field : {static_cast<QWidget*>(form.title), static_cast<QWidget*>(form.catalog),
                           static_cast<QWidget*>(form.mv_year)})
        field->installEventFilter(this);
}

void FormKeyboard::addRecordKey(const QKeySequence& key, QAbstractButton* button, const QList<QWidget*>& areas)
{
    for (QWidget* area : areas) {
        auto* shortcut = new QShortcut(key, area, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->click();
        });
    }
    m_claimed << key;
}

void FormKeyboard::addOptionListKeys()
{
    // The first button of a drop-down opens its list ("Image1" for the country).
    QList<QComboBox*> done;
    for (const editing::RecordForm::EditButton& edit : m_form.editButtons) {
        if (done.contains(edit.box))
            continue;
        done << edit.box;
        QAbstractButton* button = edit.button;
        auto* shortcut = new QShortcut(optionListKey(), edit.box, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, button, [button] { button->click(); });
    }
    // F4 and Alt+Down are the drop-down's own: they open its list.
    m_claimed << optionListKey();
}

void FormKeyboard::watchCompletion(QComboBox* box)
{
    if (QCompleter* completer = box->completer())
        completer->popup()->installEventFilter(this);
    box->view()->installEventFilter(this);
}

void FormKeyboard::markOfferedCompletion(QObject* popup, const QKeyEvent& key)
{
    auto* view = qobject_cast<QAbstractItemView*>(popup);
    if (!view || !view->isVisible() || key.key() != Qt::Key_Tab)
        return;
    // Nothing marked: the first entry offered is the one taken. The
    // completer then takes the marked entry and Tab moves on as usual.
    if (!view->currentIndex().isValid() && view->model() && view->model()->rowCount() > 0)
        view->setCurrentIndex(view->model()->index(0, 0));
}

void FormKeyboard::escape()
{
    // An open completion list or drop-down takes the key for itself: it
    // closes, and nothing typed is touched. A drop-down's list closes itself
    // on the key before the form sees it.
    const bool listHadKey = std::exchange(m_listTookEscape, false);
    if (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        return;
    }
    // A drop-down's list that the key reached the form past.
    for (const QList<QWidget*>& chain : m_chains) {
        for (QWidget* field : chain) {
            auto* box = qobject_cast<QComboBox*>(field);
            if (box && box->view() && box->view()->isVisible()) {
                box->hidePopup();
                return;
            }
            if (box && box->completer() && box->completer()->popup()->isVisible()) {
                box->completer()->popup()->hide();
                return;
            }
        }
    }
    if (listHadKey)
        return;
    if (m_state.newRecordMode && m_form.dbDelete->isEnabled() && m_leaveNewRecord)
        m_leaveNewRecord();
}

void FormKeyboard::buildChains()
{
    const editing::RecordForm& f = m_form;
    QList<QWidget*> movie = {f.mv_country, f.mv_year, f.mv_lang, f.mvColor, f.mvSound, f.mvGenre,
                             f.mvDirector, f.mvProducer, f.mvBook, f.mvMusic};
    for (QComboBox* box : f.mvCast)
        movie << box;
    // The option-list buttons are no Tab stops: Ctrl+E and the mouse reach them.
    QList<QWidget*> media = {f.mediatype, f.catalog, f.vidfmt, f.screenformat, f.soundfmt, f.mdLang};
    if (f.tapeLength)
        media << f.tapeLength << f.speed;
    m_chains = {media, movie};
    if (f.myRating) {
        const QList<QWidget*> personal = {f.myRating, f.seen,      f.seenDate,    f.purchased, f.price,
                                          f.location, f.condition, f.runningTime, f.notes};
        m_chains.push_back(personal);
    }
    for (const QList<QWidget*>& chain : m_chains) {
        for (qsizetype i = 1; i < chain.size(); ++i)
            QWidget::setTabOrder(chain[i - 1], chain[i]);
    }
}

bool FormKeyboard::focusFirst(int tab, bool first)
{
    const QList<QWidget*>& chain = m_chains.at(size_t(tab));
    m_tabs->setCurrentIndex(tab);
    for (qsizetype i = 0; i < chain.size(); ++i) {
        QWidget* w = chain[first ? i : chain.size() - 1 - i];
        if (w->isEnabled()) {
            w->setFocus(first ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

bool FormKeyboard::crossTabs(bool next)
{
    QWidget* focus = m_tabs->focusWidget();
    if (!focus || !m_tabs->isAncestorOf(focus))
        return false;
    const int tab = m_tabs->currentIndex();
    if (tab < 0 || size_t(tab) >= m_chains.size())
        return false;
    const int target = next ? tab + 1 : tab - 1;
    if (target < 0 || size_t(target) >= m_chains.size())
        return false;
    // The edge of this tab: its last (or first) widget that takes the focus.
    const QList<QWidget*>& chain = m_chains.at(size_t(tab));
    QWidget* edge = nullptr;
    for (qsizetype i = 0; i < chain.size() && !edge; ++i) {
        QWidget* w = chain[next ? chain.size() - 1 - i : i];
        if (w->isEnabled())
            edge = w;
    }
    if (!edge || (focus != edge && !edge->isAncestorOf(focus)))
        return false;
    return focusFirst(target, next);
}

bool FormKeyboard::eventFilter(QObject* watched, QEvent* event)
{
    const bool list = qobject_cast<QAbstractItemView*>(watched) != nullptr;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (list) {
            markOfferedCompletion(watched, *key);
            return false;
        }
        // The notes take no Alt+letter that no caption claimed.
        if (watched == m_form.notes && FieldLineEdit::isUnclaimedAltKey(*key))
            return true;
    }
    // Escape in a list has the key only while it is open: the list's, for
    // this key press, even when the list has closed itself already.
    if (event->type() == QEvent::ShortcutOverride && list &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        m_listTookEscape = true;
            QTimer::singleShot(0, this, [this] { m_listTookEscape = false; });
    }
    // A completion list is watched only for Tab: the record keys' claims are the fields'.
    if (event->type() == QEvent::ShortcutOverride && !list) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        // Not passed on: the field does not claim the key, so the shortcut runs.
        if (m_claimed.contains(pressed))
            return true;
        // Ctrl+Z takes back typing while the field has any; after that it is
        // the Edit menu's Undo of the catalogue's changes, and likewise Redo.
        // A drop-down has the focus itself and passes the key to its text part.
        auto* edit = qobject_cast<QLineEdit*>(watched);
        if (auto* box = qobject_cast<QComboBox*>(watched))
            edit = box->lineEdit();
        if (edit) {
            if ((key->matches(QKeySequence::Undo) && !edit->isUndoAvailable()) ||
                (key->matches(QKeySequence::Redo) && !edit->isRedoAvailable()))
                return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quelto::editing
