#pragma once
// Mouse events sent straight to a widget of a benchmark, as the platform would deliver them.

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

inline void sendMouse(QWidget& widget, QEvent::Type type, const QPoint& point, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, point, widget.mapToGlobal(point), button, buttons, modifiers);
    QCoreApplication::sendEvent(&widget, &event);
}
