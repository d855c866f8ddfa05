#pragma once
// What the tool dialogs share: placing a named control, and the two caption sets of their
// controls with the language rule that picks one, so each dialog keeps only its own table.

#include "mapview/Language.h"

#include <QWidget>

#include <cstddef>

// Names a control after the editor's control and puts it at its place in the dialog.
template <typename W>
W* PlaceControl(W* widget, const char* name, int x, int y, int width, int height)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(x, y, width, height);
    return widget;
}

// Gives a tool dialog its object name and a fixed single border of the given client size, with
// the system menu and the minimise box.
void SetFixedDialogFrame(QWidget& dialog, const char* name, int clientWidth, int clientHeight);

// Chains the controls' tab order in the order given.
void SetTabOrder(const QList<QWidget*>& controls);

// One control's caption in both languages, found by the control's object name.
struct DialogCaption {
    const char* name;
    const char* korean;
    const char* english;
};

// Sets the dialog's font for the language and the caption of every listed button, check box or
// label among its children; a name without such a control is skipped.
void ApplyDialogCaptions(QWidget& dialog, const DialogCaption* rows, std::size_t count, Language language);

template <std::size_t N>
void ApplyDialogCaptions(QWidget& dialog, const DialogCaption (&rows)[N], Language language)
{
    ApplyDialogCaptions(dialog, rows, N, language);
}
