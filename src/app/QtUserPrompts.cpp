#include "app/QtUserPrompts.h"

#include "app/DatabaseDialog.h"
#include "app/TaskProgressDialog.h"

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
    // Over the window the user works in (the Loans or Statistics window too).
    if (QWidget* active = QApplication::activeWindow(); active && active->isVisible())
        return active;
    return m_window && m_window->isVisible() ? m_window.data() : nullptr;
}

void QtUserPrompts::exclamation(const QString& text)
{
    QMessageBox::warning(parent(), Title, text, QMessageBox::Ok);
}

bool QtUserPrompts::confirm(const QString& text)
{
    return QMessageBox::question(parent(), Title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

int QtUserPrompts::choose(const QString& text, const QStringList& buttons)
{
    QMessageBox box(QMessageBox::Warning, Title, text, QMessageBox::NoButton, parent());
    QList<QAbstractButton*> made;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const bool last = i == buttons.size() - 1;
        QAbstractButton* button = box.addButton(buttons.at(i), last ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
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
    switch (box.exec()) {
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
    box.exec();
}

void QtUserPrompts::error(const QString& text) { QMessageBox::critical(parent(), Title, text, QMessageBox::Ok); }

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
    dialog.setPath(m_lastDatabase);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    m_lastDatabase = dialog.path();
    return dialog.path();
}

void QtUserPrompts::showModal(QDialog& dialog) { dialog.exec(); }

std::shared_ptr<tasks::BackgroundTask> QtUserPrompts::runTask(const QString& text,
                                                              std::function<void(tasks::TaskControl&)> work)
{
    TaskProgressDialog dialog(text, parent());
    return dialog.run(std::move(work));
}

} // namespace quelto::app
