#include "mapview/Prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

void WidgetPrompts::showMessage(const QString& text)
{
    QMessageBox::information(m_parent, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
}

void WidgetPrompts::showError(const QString& text)
{
    QMessageBox::critical(m_parent, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
}

bool WidgetPrompts::confirm(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption.isEmpty() ? QApplication::applicationDisplayName() : caption,
                    text, QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
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
