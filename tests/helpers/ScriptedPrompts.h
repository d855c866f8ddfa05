#pragma once
// Prompts for tests: records every message and answers dialogs from queued replies.

#include "mapview/Prompts.h"

#include <QQueue>
#include <QStringList>

class ScriptedPrompts : public Prompts {
public:
    QStringList messages;   // showMessage texts, in order
    QStringList errors;     // showError texts, in order
    QStringList questions;  // confirm texts, in order
    QStringList questionCaptions;  // the caption of each question
    QList<FileDialogOptions> dialogs;
    QQueue<bool> confirmAnswers;    // empty queue answers No
    QQueue<QString> fileAnswers;    // empty queue answers Cancel
    QList<SaveQuestion> saveQuestions;  // unsaved-changes questions, in order
    QQueue<SaveAnswer> saveAnswers;     // empty queue answers Discard, as if nothing was asked
    QList<ChangedQuestion> changedQuestions;  // questions about files changed on disk, in order
    QQueue<ChangedAnswer> changedAnswers;     // empty queue answers Cancel, the default

    void showMessage(const QString& text) override { messages << text; }
    void showError(const QString& text) override { errors << text; }
    bool confirm(const QString& text, const QString& caption) override
    {
        questions << text;
        questionCaptions << caption;
        return confirmAnswers.isEmpty() ? false : confirmAnswers.dequeue();
    }
    SaveAnswer askSave(const SaveQuestion& question) override
    {
        saveQuestions << question;
        return saveAnswers.isEmpty() ? SaveAnswer::Discard : saveAnswers.dequeue();
    }
    ChangedAnswer askChanged(const ChangedQuestion& question) override
    {
        changedQuestions << question;
        return changedAnswers.isEmpty() ? ChangedAnswer::Cancel : changedAnswers.dequeue();
    }
    QString openFileName(const FileDialogOptions& options) override { return nextFile(options); }
    QString saveFileName(const FileDialogOptions& options) override { return nextFile(options); }

private:
    QString nextFile(const FileDialogOptions& options)
    {
        dialogs << options;
        return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
    }
};
