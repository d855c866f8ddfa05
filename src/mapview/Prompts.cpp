#include "mapview/Prompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

// The caption of the editor's message boxes. Not the application's display name: setting one
// would make the platform append it to every window title.
const char* const kMessageCaption = "VynMAP Editor";

}  // namespace

void WidgetPrompts::showMessage(const QString& text)
{
    // A plain box: no icon, as for the questions.
    QMessageBox box(QMessageBox::NoIcon, QLatin1String(kMessageCaption), text, QMessageBox::Ok, m_parent);
    box.exec();
}

void WidgetPrompts::showError(const QString& text)
{
    QMessageBox::critical(m_parent, QLatin1String(kMessageCaption), text, QMessageBox::Ok);
}

bool WidgetPrompts::confirm(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption.isEmpty() ? QLatin1String(kMessageCaption) : caption, text,
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

SaveAnswer WidgetPrompts::askSave(const SaveQuestion& question)
{
    QMessageBox box(QMessageBox::Warning,
                    question.caption.isEmpty() ? QLatin1String(kMessageCaption) : question.caption,
                    question.text, QMessageBox::NoButton, m_parent);
    QPushButton* save = box.addButton(question.save, QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(question.discard, QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(question.cancel, QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return SaveAnswer::Save;
    if (box.clickedButton() == discard)
        return SaveAnswer::Discard;
    return SaveAnswer::Cancel;
}

namespace {

QString runFileDialog(QWidget* parent, const FileDialogOptions& options, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, options.title, options.initialFolder, options.filter);
    dialog.setAcceptMode(mode);
    const bool existing = mode == QFileDialog::AcceptOpen && options.mustExist;
    dialog.setFileMode(existing ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (mode == QFileDialog::AcceptOpen)
        dialog.setOptions(QFileDialog::ReadOnly);
    if (!options.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(options.defaultSuffix);
    if (!options.initialFile.isEmpty())
        dialog.selectFile(options.initialFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString WidgetPrompts::openFileName(const FileDialogOptions& options)
{
    return runFileDialog(m_parent, options, QFileDialog::AcceptOpen);
}

QString WidgetPrompts::saveFileName(const FileDialogOptions& options)
{
    return runFileDialog(m_parent, options, QFileDialog::AcceptSave);
}
