#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;

// The small "please wait" window shown during long operations of the map window. It has no
// title-bar buttons, stays on top and cannot be closed by the user.
class TformStatus : public QWidget {
    Q_OBJECT

public:
    explicit TformStatus(QWidget *parent = nullptr);

    // Puts text into lStatus.
    void SetStatusText(const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();

    QLabel *lStatus = nullptr; // the one line of text, centred; its objectName is "lStatus"
};

extern TformStatus *formStatus;

// Disables a window for the life of the scope (it takes no mouse or keyboard input). The
// destructor, in every outcome, enables it again and gives the keyboard focus to focusAfter
// when one is given, else back to the control that had it when the scope began: disabling a
// window drops its focus, and enabling it again does not bring the focus back. Every place
// that disables the map window for a while does so through this scope. Call Release() to end
// it earlier.
class TDisabledWindow {
public:
    explicit TDisabledWindow(QWidget *window, QWidget *focusAfter = nullptr);
    ~TDisabledWindow();
    TDisabledWindow(const TDisabledWindow &) = delete;
    TDisabledWindow &operator=(const TDisabledWindow &) = delete;

    void Release();
    bool Released() const { return FReleased; }

private:
    QWidget *FWindow;
    QPointer<QWidget> FFocus; // the control that gets the focus back; gone with it
    bool FReleased = false;
};

// The long-operation protocol of the map window, as a scope: the constructor disables the
// window (as TDisabledWindow does, with focusAfter), puts text into the status window, shows
// it and, when processEvents is set, processes pending events once so that it is painted.
// The destructor (every outcome, an exception included) hides the status window and enables
// the window again with its focus. Call Finish() to do the same earlier, before an error
// message is shown.
class TStatusScope {
public:
    TStatusScope(QWidget *window, const QString &text, bool processEvents,
                 QWidget *focusAfter = nullptr);
    ~TStatusScope();
    TStatusScope(const TStatusScope &) = delete;
    TStatusScope &operator=(const TStatusScope &) = delete;

    void Finish();

private:
    TDisabledWindow FDisabled; // released when the scope is finished
};
