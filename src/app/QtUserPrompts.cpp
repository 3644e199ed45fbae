#include "app/QtUserPrompts.h"

#include "app/DatabaseDialog.h"
#include "app/TaskProgressDialog.h"
#include "editing/ButtonMnemonics.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace quelto::app {
namespace {

const QString Title = QStringLiteral("Quelto");

} // namespace

QWidget* QtUserPrompts::parent() const
{
    if (m_gate)
        m_gate();
    // Over the window the user works in (the Loans or Statistics window too).
    if (QWidget* active = QApplication::activeWindow(); active && active->isVisible())
        return active;
    return m_window && m_window->isVisible() ? m_window.data() : nullptr;
}

namespace {

// Every button of a box with a letter of its own: Alt+letter presses it.
void giveLetters(QMessageBox& box)
{
    static const std::pair<QMessageBox::StandardButton, const char*> captions[] = {
        {QMessageBox::Ok, "&OK"},         {QMessageBox::Yes, "&Yes"},         {QMessageBox::No, "&No"},
        {QMessageBox::Save, "&Save"},     {QMessageBox::Discard, "&Discard"}, {QMessageBox::Cancel, "&Cancel"},
    };
    for (const auto& [which, caption] : captions) {
        if (QAbstractButton* button = box.button(which))
            button->setText(QString::fromLatin1(caption));
    }
}

int run(QMessageBox& box)
{
    giveLetters(box);
    return box.exec();
}

} // namespace

void QtUserPrompts::exclamation(const QString& text)
{
    QMessageBox box(QMessageBox::Warning, Title, text, QMessageBox::Ok, parent());
    run(box);
}

bool QtUserPrompts::confirm(const QString& text)
{
    QMessageBox box(QMessageBox::Question, Title, text, QMessageBox::Yes | QMessageBox::No, parent());
    box.setDefaultButton(QMessageBox::No);
    return run(box) == QMessageBox::Yes;
}

int QtUserPrompts::choose(const QString& text, const QStringList& buttons)
{
    QMessageBox box(QMessageBox::Warning, Title, text, QMessageBox::NoButton, parent());
    QList<QAbstractButton*> made;
    const QStringList captions = editing::ButtonMnemonics::assign(buttons);
    for (qsizetype i = 0; i < captions.size(); ++i) {
        const bool last = i == captions.size() - 1;
        QAbstractButton* button = box.addButton(captions.at(i), last ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
        made << button;
    }
    if (!made.isEmpty())
        box.setEscapeButton(made.last());
    box.exec();
    return int(made.indexOf(box.clickedButton()));
}

editing::SaveChoice QtUserPrompts::askSave(const QString& text)
{
    QMessageBox box(QMessageBox::Question, Title, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                    parent());
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (run(box)) {
    case QMessageBox::Save:
        return editing::SaveChoice::Save;
    case QMessageBox::Discard:
        return editing::SaveChoice::Discard;
    default:
        return editing::SaveChoice::Cancel;
    }
}

void QtUserPrompts::message(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, Title, text, QMessageBox::Ok, parent());
    run(box);
}

void QtUserPrompts::error(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, Title, text, QMessageBox::Ok, parent());
    run(box);
}

std::optional<QString> QtUserPrompts::chooseFile(const editing::FileRequest& request)
{
    QFileDialog dialog(parent(), request.title);
    if (request.folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.setDirectory(request.fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    }
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, request.replaceAskedByCaller);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (QFileInfo(request.fileName).isDir())
        dialog.setDirectory(request.fileName); // a folder to start in, no name given
    else
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtUserPrompts::chooseDatabase()
{
    // Shown again after a choice that could not be used, with that choice.
    DatabaseDialog dialog(*this, parent());
    if (!m_lastDatabase.isEmpty())
        dialog.setPath(m_lastDatabase);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    m_lastDatabase = dialog.path();
    return dialog.path();
}

void QtUserPrompts::showModal(QDialog& dialog)
{
    if (m_gate)
        m_gate();
    dialog.exec();
}

std::shared_ptr<tasks::BackgroundTask> QtUserPrompts::runTask(const QString& text,
                                                              std::function<void(tasks::TaskControl&)> work)
{
    TaskProgressDialog dialog(text, parent());
    return dialog.run(std::move(work));
}

} // namespace quelto::app
