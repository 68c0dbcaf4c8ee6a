#pragma once

#include <QObject>

class QWidget;

// Holds back the user's input to one window for the life of the scope, without changing how
// it looks: mouse buttons and moves, the wheel, keys, text input, context menus, touches,
// tablets and the window's shortcuts are dropped before they reach the window or any of its
// controls. Other windows are not held. Unlike a disabled window, the controls are not
// repainted in a greyed look and back, and the keyboard focus stays where it is.
class TInputHold : public QObject {
public:
    explicit TInputHold(QWidget *window);
    ~TInputHold() override;
    TInputHold(const TInputHold &) = delete;
    TInputHold &operator=(const TInputHold &) = delete;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool InHeldWindow(QObject *receiver) const;

    QWidget *FWindow;
};
