#include "refresh/GrabAgainDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quelto::refresh {

namespace {

// A value of several lines (the billed cast) on one line, its first members
// and how many there are; the cell's tooltip has all of it.
QString inCell(const QString& value)
{
    if (value.isEmpty())
        return QStringLiteral("(empty)");
    const QStringList lines = value.split(u'\n');
    if (lines.size() == 1)
        return value;
    constexpr int Shown = 3;
    if (lines.size() <= Shown)
        return lines.join(QStringLiteral("; "));
    return QStringLiteral("%1; ... (%2 in all)").arg(lines.mid(0, Shown).join(QStringLiteral("; "))).arg(lines.size());
}

} // namespace

GrabAgainDialog::GrabAgainDialog(const QString& recordTitle, const QString& address,
                                 const QList<FieldChange>& changes, QWidget* parent)
    : QDialog(parent), m_changes(changes)
{
    setObjectName(QStringLiteral("grabAgainDialog"));
    setWindowTitle(Caption);
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        QStringLiteral("The page of \"%1\" now gives these values. Check the ones to take; the others, and the "
                       "personal fields, stay as they are.")
            .arg(recordTitle.toHtmlEscaped()),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* from = new QLabel(address.toHtmlEscaped(), this);
    from->setObjectName(QStringLiteral("grabAgainAddress"));
    from->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(from);

    m_table = new QTableWidget(int(changes.size()), 3, this);
    m_table->setObjectName(QStringLiteral("grabAgainChanges"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Field"), QStringLiteral("Now"), QStringLiteral("From the page")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setWordWrap(true);
    for (int row = 0; row < changes.size(); ++row) {
        const FieldChange& change = changes[row];
        auto* field = new QTableWidgetItem(change.caption);
        field->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        field->setCheckState(Qt::Checked);
        field->setData(Qt::UserRole, change.column);
        m_table->setItem(row, 0, field);
        auto* before = new QTableWidgetItem(inCell(change.before));
        before->setToolTip(change.before);
        m_table->setItem(row, 1, before);
        auto* after = new QTableWidgetItem(inCell(change.after));
        after->setToolTip(change.after);
        m_table->setItem(row, 2, after);
    }
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    m_table->resizeRowsToContents();
    layout->addWidget(m_table, 1);

    auto* buttons = new QDialogButtonBox(this);
    m_take = buttons->addButton(QStringLiteral("&Take Checked"), QDialogButtonBox::AcceptRole);
    m_take->setObjectName(QStringLiteral("grabAgainTake"));
    QPushButton* all = buttons->addButton(QStringLiteral("Check &All"), QDialogButtonBox::ActionRole);
    QPushButton* none = buttons->addButton(QStringLiteral("Check &None"), QDialogButtonBox::ActionRole);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setText(QStringLiteral("&Cancel"));
    layout->addWidget(buttons);
    connect(all, &QPushButton::clicked, this, [this] { setAllChecked(true); });
    connect(none, &QPushButton::clicked, this, [this] { setAllChecked(false); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_table, &QTableWidget::itemChanged, this, &GrabAgainDialog::updateTake);
    m_take->setDefault(true);
    resize(820, 170 + 30 * int(qMin<qsizetype>(changes.size(), 16)));
}

QSet<QString> GrabAgainDialog::checked() const
{
    QSet<QString> columns;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const QTableWidgetItem* item = m_table->item(row, 0);
        if (item->checkState() == Qt::Checked)
            columns.insert(item->data(Qt::UserRole).toString());
    }
    return columns;
}

void GrabAgainDialog::setAllChecked(bool on)
{
    for (int row = 0; row < m_table->rowCount(); ++row)
        m_table->item(row, 0)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void GrabAgainDialog::updateTake() { m_take->setEnabled(!checked().isEmpty()); }

} // namespace quelto::refresh
