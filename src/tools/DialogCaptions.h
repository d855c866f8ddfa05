#pragma once
// The two caption sets of a dialog's controls and the language rule that picks one, shared by
// the tool dialogs so each keeps only its own table.

#include "mapview/Language.h"

#include <cstddef>

class QWidget;

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
