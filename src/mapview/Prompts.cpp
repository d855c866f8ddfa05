#include "mapview/Prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {
QFileDialog::Options dialogOptions()
{
    return QFileDialog::ReadOnly;
}
}

void WidgetPrompts::showMessage(const QString& text)
{
    QMessageBox::information(m_parent, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
}

void WidgetPrompts::showError(const QString& text)
{
    QMessageBox::critical(m_parent, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
}

bool WidgetPrompts::confirm(const QString& text)
{
    return QMessageBox::question(m_parent, QApplication::applicationDisplayName(), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

QString WidgetPrompts::openFileName(const FileDialogOptions& options)
{
    QFileDialog dialog(m_parent, options.title, options.initialFolder, options.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(options.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOptions(dialogOptions());
    if (!options.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(options.defaultSuffix);
    if (!options.initialFile.isEmpty())
        dialog.selectFile(options.initialFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString WidgetPrompts::saveFileName(const FileDialogOptions& options)
{
    QFileDialog dialog(m_parent, options.title, options.initialFolder, options.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!options.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(options.defaultSuffix);
    if (!options.initialFile.isEmpty())
        dialog.selectFile(options.initialFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
