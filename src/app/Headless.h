#pragma once
// What the headless commands share: prompts that collect what the editor would show, and the
// one-line form of names in their output.

#include "mapview/Prompts.h"

#include <QStringList>

#include <string>

// Collects what the editor would show instead of showing it; every dialog is cancelled.
class CollectingPrompts : public Prompts {
public:
    QStringList shown;
    // A message of several lines (a reason under "Error : Loading File") keeps the page on one line.
    void showMessage(const QString& text) override { shown << text.split(QLatin1Char('\n')); }
    void showError(const QString& text) override { shown << text; }
    void showNotice(const QString& text) override { shown << text; }
    bool confirm(const QString&, const QString&) override { return false; }
    SaveAnswer askSave(const SaveQuestion&) override { return SaveAnswer::Discard; }
    QString openFileName(const FileDialogOptions&) override { return {}; }
    QString saveFileName(const FileDialogOptions&) override { return {}; }
    bool interactive() const override { return false; }
};

// Each page is one line: a line break or tab inside a name is written as \r, \n or \t.
inline QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1String("\\r"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"))
        .replace(QLatin1Char('\t'), QLatin1String("\\t"));
}

inline QString oneLine(const std::string& text)
{
    return oneLine(QString::fromStdString(text));
}
