#pragma once

#include <QString>
#include <QWidget>

class QLabel;

// The small "please wait" window shown during long operations of the map window. It has no
// title-bar buttons, stays on top and cannot be closed by the user.
class TformStatus : public QWidget {
    Q_OBJECT

public:
    explicit TformStatus(QWidget *parent = nullptr);

    QLabel *lStatus = nullptr; // the one line of text, centred

    void FormCreate();

protected:
    void closeEvent(QCloseEvent *event) override;
};

extern TformStatus *formStatus;

// The long-operation protocol of the map window, as a scope: the constructor disables the
// window, puts text into the status window, shows it and, when processEvents is set,
// processes pending events once so that it is painted. The destructor (every outcome, an
// exception included) enables the window again and hides the status window. Call Finish()
// to do the same earlier, before an error message is shown.
class TStatusScope {
public:
    TStatusScope(QWidget *window, const QString &text, bool processEvents);
    ~TStatusScope();
    TStatusScope(const TStatusScope &) = delete;
    TStatusScope &operator=(const TStatusScope &) = delete;

    void Finish();

private:
    QWidget *FWindow;
    bool FFinished = false;
};
