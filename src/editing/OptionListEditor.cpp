#include "editing/OptionListEditor.h"

#include "catalog/CatalogSchema.h"
#include "catalog/CatalogState.h"
#include "catalog/EngineError.h"
#include "catalog/RecordSet.h"
#include "catalog/SqliteConnection.h"
#include "editing/UserPrompts.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>

namespace quelto::editing {

using catalog::EngineError;
using catalog::RecordSet;

namespace {

const QString CrLf = QStringLiteral("\r\n");

// A left arrow into the list with a plus: the picture of "Add to dataset".
QIcon addPicture()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    arrow.moveTo(3, 16);
    arrow.lineTo(15, 5);
    arrow.lineTo(15, 11);
    arrow.lineTo(29, 11);
    arrow.lineTo(29, 21);
    arrow.lineTo(15, 21);
    arrow.lineTo(15, 27);
    arrow.closeSubpath();
    p.setPen(QPen(QColor(0, 90, 30), 1.5));
    p.setBrush(QColor(40, 160, 70));
    p.drawPath(arrow);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(17, 16), QPointF(27, 16));
    p.drawLine(QPointF(22, 12.5), QPointF(22, 19.5));
    p.end();
    return QIcon(pixmap);
}

bool isEmptySet(const RecordSet& set) { return set.bof() && set.eof(); }

} // namespace

OptionListEditor::OptionListEditor(catalog::CatalogState& state, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent),
      m_state(state),
      m_prompts(prompts),
      m_dataentry(new QPlainTextEdit(this)),
      m_newitem(new QLineEdit(this)),
      m_add(new QToolButton(this)),
      m_save(new QPushButton(QStringLiteral("Save"), this)),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("fDataEntry"));
    setWindowTitle(Caption);
    setModal(true);
    m_dataentry->setObjectName(QStringLiteral("dataentry"));
    m_newitem->setObjectName(QStringLiteral("newitem"));
    m_add->setObjectName(QStringLiteral("Image1"));
    m_save->setObjectName(QStringLiteral("Save"));
    m_cancel->setObjectName(QStringLiteral("cancel"));

    m_dataentry->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_dataentry->setTabChangesFocus(true);
    m_dataentry->setMinimumSize(250, 300);
    m_add->setIcon(addPicture());
    m_add->setIconSize(QSize(20, 20));
    m_add->setToolTip(AddTip);
    m_add->setAutoRaise(true);
    m_newitem->setMinimumWidth(170);
    // Enter in newitem adds it; it never saves the list by accident.
    m_save->setAutoDefault(false);
    m_cancel->setAutoDefault(false);

    connect(m_add, &QToolButton::clicked, this, &OptionListEditor::addItem);
    connect(m_newitem, &QLineEdit::returnPressed, this, &OptionListEditor::addItem);
    connect(m_save, &QPushButton::clicked, this, &OptionListEditor::save);
    connect(m_cancel, &QPushButton::clicked, this, &OptionListEditor::cancel);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(6);
    layout->addWidget(m_dataentry, 0, 0, 4, 1);
    layout->addWidget(m_newitem, 0, 1);
    layout->addWidget(m_add, 0, 2);
    layout->setRowStretch(1, 1);
    layout->addWidget(m_save, 2, 1, 1, 2);
    layout->addWidget(m_cancel, 3, 1, 1, 2);
    layout->setColumnStretch(0, 1);
    setTabOrder(m_dataentry, m_newitem);
    setTabOrder(m_newitem, m_add);
    setTabOrder(m_add, m_save);
    setTabOrder(m_save, m_cancel);
    resize(sizeHint());
}

void OptionListEditor::load(RecordSet& set, const QString& boxText)
{
    m_set = &set;
    set.requery();
    QString text;
    if (!isEmptySet(set)) {
        for (set.moveFirst(); !set.eof(); set.moveNext())
            text += set.value(QStringLiteral("text")).toString() + QLatin1Char('\n');
        set.moveFirst();
        // A blank field (the single space of an emptied record) offers no entry.
        m_newitem->setText(boxText.trimmed().isEmpty() ? QString() : boxText);
    }
    m_dataentry->setPlainText(text);
    m_dataentry->moveCursor(QTextCursor::Start);
    m_dataentry->setFocus();
}

QString OptionListEditor::text() const
{
    // The blocks as they are, so that no character is replaced on the way
    // (a plain-text export would turn no-break spaces into spaces). A line
    // separator typed with Shift+Enter ends a line as well.
    QStringList blocks;
    for (QTextBlock block = m_dataentry->document()->begin(); block.isValid(); block = block.next())
        blocks << block.text().replace(QChar::LineSeparator, CrLf);
    return blocks.join(CrLf);
}

QStringList OptionListEditor::lines(const QString& text)
{
    QStringList out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        out << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        out << text.mid(start);
    return out;
}

void OptionListEditor::addItem()
{
    const QString item = m_newitem->text();
    if (item.trimmed().isEmpty())
        return;
    QTextCursor cursor(m_dataentry->document());
    cursor.movePosition(QTextCursor::End);
    // A last line typed without Enter stays a line of its own.
    if (!cursor.block().text().isEmpty())
        cursor.insertBlock();
    cursor.insertText(item);
    cursor.insertBlock();
    m_dataentry->setTextCursor(cursor);
    m_dataentry->ensureCursorVisible();
}

void OptionListEditor::save()
{
    if (!m_set)
        return;
    const QStringList all = lines(text());
    QStringList entries;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const QString& line = all.at(i);
        if (line.isEmpty())
            continue;
        if (line.size() > MaxEntryLength) {
            refuseLine(int(i), LineTooLong.arg(i + 1).arg(MaxEntryLength));
            return;
        }
        entries << line;
    }
    if (entries.size() > MaxEntries) {
        m_prompts.exclamation(TooManyLines.arg(MaxEntries));
        return;
    }
    try {
        rewrite(entries);
    } catch (const EngineError& error) {
        m_prompts.exclamation(SaveFailed.arg(error.message()));
        return;
    }
    hide();
}

void OptionListEditor::rewrite(const QStringList& entries)
{
    RecordSet& set = *m_set;
    const auto connection = m_state.database->connection();
    connection->exec(QStringLiteral("begin"));
    try {
        // One of the program's own lists, offered from memory so far, goes
        // into the file with its first edit.
        if (catalog::CatalogSchema::isHeldInMemory(*m_state.database, set.table())) {
            catalog::CatalogSchema::storeOwnOptionLists(*m_state.database, set.table());
            set.requery();
        }
        while (!isEmptySet(set)) {
            set.moveFirst();
            set.deleteRecord();
        }
        int ordinal = 1;
        for (const QString& entry : entries) {
            set.addNew();
            set.setValue(QStringLiteral("ordinal"), ordinal++);
            set.setValue(QStringLiteral("text"), entry);
            set.update();
        }
        connection->exec(QStringLiteral("commit"));
    } catch (const EngineError&) {
        try {
            connection->exec(QStringLiteral("rollback"));
        } catch (const EngineError&) {
        }
        // The set's rows are those of the file again.
        try {
            set.requery();
        } catch (const EngineError&) {
        }
        throw;
    }
    set.requery();
}

void OptionListEditor::refuseLine(int index, const QString& message)
{
    const QTextBlock block = m_dataentry->document()->findBlockByLineNumber(index);
    if (block.isValid()) {
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
        m_dataentry->setTextCursor(cursor);
        m_dataentry->ensureCursorVisible();
    }
    m_prompts.exclamation(message);
    m_dataentry->setFocus();
}

void OptionListEditor::cancel() { hide(); }

void OptionListEditor::reject() { cancel(); }

} // namespace quelto::editing
