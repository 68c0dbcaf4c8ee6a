#include "app/input_hold.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include "app/error_report.h"

namespace {
// The events by which a person acts on a window. Hovering, entering and leaving only change
// highlights, and are let through so that none is left behind.
bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}
} // namespace

TInputHold::TInputHold(QWidget *window) : FWindow(window)
{
    QCoreApplication::instance()->installEventFilter(this);
}

TInputHold::~TInputHold()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool TInputHold::eventFilter(QObject *watched, QEvent *event)
{
    return RunReported(FWindow, true, [&] { return IsUserInput(event->type()) && InHeldWindow(watched); });
}

bool TInputHold::InHeldWindow(QObject *receiver) const
{
    if (auto *window = qobject_cast<QWindow *>(receiver))
        return window == FWindow->windowHandle();
    // A shortcut's events go to the shortcut itself, a child of the window it serves.
    for (QObject *object = receiver; object; object = object->parent())
        if (auto *widget = qobject_cast<QWidget *>(object))
            return widget->window() == FWindow;
    return false;
}
