#pragma once
// Prompts that answer every box silently: a benchmark run must never block on one.

#include "mapview/Prompts.h"

class SilentPrompts : public Prompts {
public:
    void showMessage(const QString&) override {}
    void showError(const QString&) override {}
    bool confirm(const QString&, const QString&) override { return false; }
    SaveAnswer askSave(const SaveQuestion&) override { return SaveAnswer::Discard; }
    QString openFileName(const FileDialogOptions&) override { return {}; }
    QString saveFileName(const FileDialogOptions&) override { return {}; }
    bool interactive() const override { return false; }
};
