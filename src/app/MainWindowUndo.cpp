// The main window's Edit menu (undo and redo), the unsaved-changes question and the title mark.
// Kept apart from the window's set-up so the described commands stay as they are.
#include "app/MainWindow.h"

#include "app/IconPageEditor.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>

void TForm1::createEditMenu()
{
    auto* undo = new QAction(this);
    undo->setObjectName(QStringLiteral("EditUndo"));
    undo->setShortcuts(QKeySequence::Undo);
    auto* redo = new QAction(this);
    redo->setObjectName(QStringLiteral("EditRedo"));
    // Both usual redo keys, whatever the platform's own choice.
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (QAction* act : {undo, redo}) {
        act->setEnabled(false);
        m_actions << act;
        addAction(act);
    }
    connect(undo, &QAction::triggered, this, &TForm1::EditUndoExecute);
    connect(redo, &QAction::triggered, this, &TForm1::EditRedoExecute);

    QMenu* menu = editMenu();
    menu->addAction(undo);
    menu->addAction(redo);
}

void TForm1::connectUndoHandlers()
{
    // At once, not only when idle: a step just made can be undone by the very next command.
    connect(&m_editor->undoStack(), &QUndoStack::indexChanged, this, &TForm1::updateUndoActions);
}

void TForm1::updateUndoActions()
{
    if (!m_editor)
        return;
    const QUndoStack& stack = m_editor->undoStack();
    action(QStringLiteral("EditUndo"))
        ->setEnabled(m_state.DocLoaded && (stack.canUndo() || m_state.EditsPending));
    action(QStringLiteral("EditRedo"))->setEnabled(m_state.DocLoaded && stack.canRedo());
    // Typing starts pending edits without any signal of the history.
    m_editor->UpdateTitleMark();
}

void TForm1::shareUndoKeys(QWidget* shown)
{
    const Qt::WindowType type = shown->windowType();
    const bool toolWindow = type == Qt::Window || type == Qt::Dialog || type == Qt::Tool;
    if (shown == this || !shown->isWindow() || !toolWindow || shown->isModal())
        return;
    QWidget* owner = shown->parentWidget();
    while (owner && owner != this)
        owner = owner->parentWidget();
    if (!owner)
        return;
    // A window shortcut of an action is live in every window the action is added to.
    shown->addActions({action(QStringLiteral("EditUndo")), action(QStringLiteral("EditRedo"))});
}

void TForm1::EditUndoExecute()
{
    if (m_state.DocLoaded)
        m_editor->Undo();
    updateUndoActions();
}

void TForm1::EditRedoExecute()
{
    if (m_state.DocLoaded)
        m_editor->Redo();
    updateUndoActions();
}

bool TForm1::maybeSave()
{
    if (!m_editor->IsModified())
        return true;
    SaveQuestion question;
    const QString file = QFileInfo(QString::fromStdString(m_state.CurrentFile)).fileName();
    question.text = caption(m_language, "SaveQuestion").arg(file);
    question.save = caption(m_language, "SaveAnswer.save");
    question.discard = caption(m_language, "SaveAnswer.discard");
    question.cancel = caption(m_language, "SaveAnswer.cancel");
    switch (m_prompts->askSave(question)) {
    case SaveAnswer::Save:
        // A save that did not write the page must not let its edits go.
        return m_editor->FileSaveExecute(false);
    case SaveAnswer::Discard:
        return true;
    case SaveAnswer::Cancel:
        break;
    }
    return false;
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (!maybeSave()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
