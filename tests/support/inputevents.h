#ifndef ROTAVIS_INPUTEVENTS_H
#define ROTAVIS_INPUTEVENTS_H

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

// Mouse and wheel input delivered straight to a widget, as the operator's hand gives it.

// A press, move, release or double-click at `local` (widget coordinates, fractions kept),
// with `held` the buttons down meanwhile; all but a move are of the left button.
inline void sendMouse(QWidget* widget, QEvent::Type type, const QPointF& local,
                      Qt::MouseButtons held = Qt::LeftButton)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, local, widget->mapToGlobal(local.toPoint()), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// A turn of the wheel by `angleDelta` (in eighths of a degree: 120 is one step up).
inline void sendWheel(QWidget* widget, const QPoint& angleDelta)
{
    QWheelEvent event(QPointF(5, 5), widget->mapToGlobal(QPoint(5, 5)), QPoint(), angleDelta,
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

#endif
