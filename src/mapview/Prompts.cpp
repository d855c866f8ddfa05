#include "mapview/Prompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <array>
#include <utility>

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

bool WidgetPrompts::confirmNamed(const QString& text, const QString& proceed, const QString& cancel,
                                 const QString& caption)
{
    QMessageBox box(QMessageBox::Warning, caption.isEmpty() ? QLatin1String(kMessageCaption) : caption, text,
                    QMessageBox::NoButton, m_parent);
    QPushButton* yes = box.addButton(proceed, QMessageBox::AcceptRole);
    QPushButton* no = box.addButton(cancel, QMessageBox::RejectRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

namespace {

// A warning box with three buttons, the last one also answering Escape; the index of the one
// clicked (the last when the box is closed).
int askThree(QWidget* parent, const QString& caption, const QString& text,
             const std::array<std::pair<QString, QMessageBox::ButtonRole>, 3>& buttons, int defaultButton)
{
    QMessageBox box(QMessageBox::Warning, caption.isEmpty() ? QLatin1String(kMessageCaption) : caption, text,
                    QMessageBox::NoButton, parent);
    std::array<QPushButton*, 3> pushed{};
    for (std::size_t i = 0; i < buttons.size(); ++i)
        pushed[i] = box.addButton(buttons[i].first, buttons[i].second);
    box.setDefaultButton(pushed[static_cast<std::size_t>(defaultButton)]);
    box.setEscapeButton(pushed.back());
    box.exec();
    for (std::size_t i = 0; i < pushed.size(); ++i)
        if (box.clickedButton() == pushed[i])
            return static_cast<int>(i);
    return static_cast<int>(pushed.size()) - 1;
}

}  // namespace

SaveAnswer WidgetPrompts::askSave(const SaveQuestion& question)
{
    constexpr SaveAnswer kAnswers[] = {SaveAnswer::Save, SaveAnswer::Discard, SaveAnswer::Cancel};
    return kAnswers[askThree(m_parent, question.caption, question.text,
                             {{{question.save, QMessageBox::AcceptRole},
                               {question.discard, QMessageBox::DestructiveRole},
                               {question.cancel, QMessageBox::RejectRole}}},
                             0)];
}

ChangedAnswer WidgetPrompts::askChanged(const ChangedQuestion& question)
{
    constexpr ChangedAnswer kAnswers[] = {ChangedAnswer::Overwrite, ChangedAnswer::SaveAs, ChangedAnswer::Cancel};
    // Cancel is the default: Enter must never write over another program's changes.
    return kAnswers[askThree(m_parent, question.caption, question.text,
                             {{{question.overwrite, QMessageBox::DestructiveRole},
                               {question.saveAs, QMessageBox::AcceptRole},
                               {question.cancel, QMessageBox::RejectRole}}},
                             2)];
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
    if (options.folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    }
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
