#pragma once
// Drives a modal dialog from inside its own event loop: a zero-delay timer looks for the active
// modal dialog of the given type and hands it to `act`, retrying until the dialog is shown.

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <functional>

template <typename Dialog>
void whenModal(std::function<void(Dialog*)> act, int attempts = 200)
{
    QTimer::singleShot(0, [act, attempts]() {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            act(dialog);
        } else if (attempts > 0) {
            whenModal<Dialog>(act, attempts - 1);
        } else if (QWidget* other = QApplication::activeModalWidget()) {
            other->close();  // not the dialog expected: end it rather than hang the test
        }
    });
}
