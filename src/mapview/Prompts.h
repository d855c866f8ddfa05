#pragma once
// Message boxes and file dialogs behind one interface, so tests script the answers instead of
// blocking on a modal box.

#include <QString>

class QWidget;

struct FileDialogOptions {
    QString title;
    QString filter;         // Qt filter syntax, e.g. "Map icon Files (icons_*.xml)"; ";;" between several
    QString initialFolder;  // empty: the platform's choice
    QString initialFile;
    QString defaultSuffix;
    bool mustExist = true;
    bool folder = false;  // a folder is chosen, not a file
};

// The answers to the unsaved-changes question.
enum class SaveAnswer { Save, Discard, Cancel };

// The unsaved-changes question with its captions, in the window's language.
struct SaveQuestion {
    QString text;
    QString caption;  // empty: the application's name
    QString save;
    QString discard;
    QString cancel;
};

// The answers when the file on disk changed since the editor read it.
enum class ChangedAnswer { Overwrite, SaveAs, Cancel };

// The question of a save over a file that changed on disk, in the window's language.
struct ChangedQuestion {
    QString text;  // "%1": the file's name
    QString caption;
    QString overwrite;
    QString saveAs;
    QString cancel;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    // A plain message box with an OK button.
    virtual void showMessage(const QString& text) = 0;
    // The error box for failures that reach the top of a command.
    virtual void showError(const QString& text) = 0;
    // What the user should know without a box (a map that did not decode): the window says it in
    // its status bar, the headless commands print it.
    virtual void showNotice(const QString&) {}
    // A Yes/No question with No as the default and no icon, titled `caption` (the application's
    // name when empty); true for Yes.
    virtual bool confirm(const QString& text, const QString& caption = QString()) = 0;
    // `proceed` / Cancel, with Cancel as the default and answering Escape or closing; true for
    // `proceed`. Where no box with named buttons is shown, the Yes/No question asks it.
    virtual bool confirmNamed(const QString& text, const QString& proceed, const QString& cancel,
                              const QString& caption = QString())
    {
        (void)proceed;
        (void)cancel;
        return confirm(text, caption);
    }
    // Save / Discard / Cancel, with Save as the default; closing the box answers Cancel.
    virtual SaveAnswer askSave(const SaveQuestion& question) = 0;
    // Overwrite / Save As / Cancel, with Cancel as the default; closing the box answers Cancel.
    virtual ChangedAnswer askChanged(const ChangedQuestion&) { return ChangedAnswer::Cancel; }
    // Empty when the user cancels.
    virtual QString openFileName(const FileDialogOptions& options) = 0;
    virtual QString saveFileName(const FileDialogOptions& options) = 0;
    // Whether a dialog of the window's own (a list to pick from) may be shown: false for the
    // headless commands, which must name what they want.
    virtual bool interactive() const { return true; }
};

// The real, modal boxes and dialogs.
class WidgetPrompts : public Prompts {
public:
    explicit WidgetPrompts(QWidget* parent) : m_parent(parent) {}
    bool confirmNamed(const QString& text, const QString& proceed, const QString& cancel,
                      const QString& caption = QString()) override;
    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    bool confirm(const QString& text, const QString& caption) override;
    SaveAnswer askSave(const SaveQuestion& question) override;
    ChangedAnswer askChanged(const ChangedQuestion& question) override;
    QString openFileName(const FileDialogOptions& options) override;
    QString saveFileName(const FileDialogOptions& options) override;

private:
    QWidget* m_parent = nullptr;
};
