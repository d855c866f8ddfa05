#pragma once
// QTest takes the point (0, 0) for "the widget's centre", so moves are sent by hand.

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

inline void moveTo(QWidget* widget, const QPoint& point, Qt::MouseButtons held = Qt::NoButton,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent move(QEvent::MouseMove, point, widget->mapToGlobal(point), Qt::NoButton, held, modifiers);
    QApplication::sendEvent(widget, &move);
}
