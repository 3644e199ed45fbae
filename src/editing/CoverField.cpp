#include "editing/CoverField.h"

#include "catalog/CatalogState.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "collection/CollectorSchema.h"
#include "collection/CoverStore.h"
#include "collection/RecordIdentity.h"
#include "editing/CoverView.h"
#include "editing/CoverViewer.h"
#include "editing/RecordForm.h"
#include "editing/UserPrompts.h"

#include <QAction>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

namespace quelto::editing {

using collection::CoverPicture;

namespace {

bool samePicture(const std::optional<CoverPicture>& a, const std::optional<CoverPicture>& b)
{
    if (!a || !b)
        return !a && !b;
    return a->bytes() == b->bytes();
}

} // namespace

CoverField::CoverField(RecordForm& form, catalog::CatalogState& state, UserPrompts& prompts, QWidget* window)
    : QObject(window), m_form(form), m_state(state), m_prompts(prompts), m_window(window)
{
    CoverView* view = form.cover;
    connect(view->chooseAction(), &QAction::triggered, this, &CoverField::chooseFile);
    connect(view->removeAction(), &QAction::triggered, this, &CoverField::remove);
    connect(view->viewAction(), &QAction::triggered, this, &CoverField::showFullSize);
    connect(view, &CoverView::fileDropped, this, &CoverField::takeFile);
    connect(view, &CoverView::imageGiven, this, &CoverField::takeImage);
}

CoverField::~CoverField() = default;

void CoverField::display()
{
    const QImage picture = m_current ? CoverPicture::decode(m_current->bytes(), m_form.cover->pictureBound()) : QImage();
    if (m_current && picture.isNull())
        m_form.cover->setUnreadable();
    else
        m_form.cover->setPicture(picture);
    emit pictureChanged();
}

void CoverField::show(const catalog::RecordSet& set)
{
    m_shown.reset();
    m_shownId = 0;
    const qint64 id = set.hasField(collection::CollectorSchema::IdColumn)
                          ? set.value(collection::CollectorSchema::IdColumn).toLongLong()
                          : 0;
    if (id > 0 && m_state.database)
        m_shown = collection::CoverStore::load(*m_state.database->connection(), id);
    m_shownId = id;
    m_current = m_shown;
    display();
}

void CoverField::clear()
{
    m_shown.reset();
    m_shownId = 0;
    m_current.reset();
    display();
}

bool CoverField::changed() const { return !samePicture(m_shown, m_current); }

void CoverField::markUnchanged() { m_shown = m_current; }

bool CoverField::needsOwnStorage() const { return m_current && changed(); }

void CoverField::stored(catalog::Database& db, qint64 recordId)
{
    if (!changed())
        return;
    catalog::SqliteConnection& connection = *db.connection();
    if (m_current)
        collection::CoverStore::store(connection, recordId, *m_current);
    else if (recordId > 0)
        collection::CoverStore::remove(connection, recordId);
    emit coverWritten(recordId);
}

bool CoverField::changedElsewhere(catalog::Database& db, qint64 rowid) const
{
    if (!changed())
        return false;
    // A record shown without an identity may have been given one, with a
    // cover, by another program meanwhile.
    catalog::SqliteConnection& connection = *db.connection();
    const qint64 id = m_shownId > 0 ? m_shownId : collection::RecordIdentity::of(connection, rowid);
    if (id <= 0)
        return false;
    return !samePicture(collection::CoverStore::load(connection, id), m_shown);
}

bool CoverField::refusedByFile()
{
    const catalog::EngineError* refusal =
        m_state.database ? m_state.database->connection()->refusal() : nullptr;
    if (!refusal)
        return false;
    m_prompts.exclamation(QStringLiteral("The cover cannot be changed: %1").arg(refusal->message()));
    return true;
}

bool CoverField::take(const CoverPicture& picture)
{
    if (refusedByFile())
        return false;
    m_current = picture;
    display();
    return true;
}

bool CoverField::takeFile(const QString& path)
{
    QString problem;
    const std::optional<CoverPicture> picture = CoverPicture::fromFile(path, &problem);
    if (!picture) {
        m_prompts.exclamation(QStringLiteral("This cannot be the cover:\n%1").arg(problem));
        return false;
    }
    return take(*picture);
}

bool CoverField::takeBytes(const QByteArray& bytes, const QString& source)
{
    QString problem;
    const std::optional<CoverPicture> picture = CoverPicture::prepare(bytes, &problem);
    if (!picture) {
        m_prompts.exclamation(QStringLiteral("The picture from %1 cannot be the cover:\n%2").arg(source, problem));
        return false;
    }
    return take(*picture);
}

bool CoverField::takeImage(const QImage& image, const QByteArray& encoded)
{
    if (!encoded.isEmpty())
        return takeBytes(encoded, QStringLiteral("the clipboard"));
    QString problem;
    const std::optional<CoverPicture> picture = CoverPicture::fromImage(image, &problem);
    if (!picture) {
        m_prompts.exclamation(QStringLiteral("There is no picture to paste.%1")
                                  .arg(image.isNull() ? QString() : QStringLiteral("\n") + problem));
        return false;
    }
    return take(*picture);
}

void CoverField::chooseFile()
{
    if (refusedByFile())
        return;
    FileRequest request;
    request.title = QStringLiteral("Choose a Cover");
    request.filter = QStringLiteral("Pictures (*.jpg *.jpeg *.png *.webp *.gif *.bmp);;All files (*)");
    if (const std::optional<QString> path = m_prompts.chooseFile(request))
        takeFile(*path);
}

void CoverField::remove()
{
    if (!m_current || refusedByFile())
        return;
    m_current.reset();
    display();
}

void CoverField::showFullSize()
{
    if (!m_current)
        return;
    QSize bound(1500, 1500);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        bound = (screen->availableSize() * 0.9).boundedTo(bound) * screen->devicePixelRatio();
    if (!m_viewer)
        m_viewer = new CoverViewer(m_window);
    m_viewer->setCover(CoverPicture::decode(m_current->bytes(), bound), m_form.title->text(), m_current->size());
    m_prompts.showModal(*m_viewer);
}

} // namespace quelto::editing
