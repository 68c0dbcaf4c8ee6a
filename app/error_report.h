#pragma once

#include <QApplication>
#include <exception>
#include <utility>

// The application's standard error report: an exception that no handler caught is shown in
// an error message box with its text, and the program goes on.
//
// No exception may leave a function that Qt calls: Qt does not carry exceptions through its
// signals and events. So every such function runs its body under this report:
// - a handler connected to a signal, or invoked queued, is adapted at the connect site:
//     connect(bSair, &QPushButton::clicked, this, Reported(this, &TformTovralMain::bSairClick));
//     connect(shortcut, &QShortcut::activated, this, Reported(this, [this] { ... }));
// - an event override or event filter wraps its body in RunReported, a paintEvent in
//   PaintReported.
// TTovralApplication::notify stays the last net for anything that still gets through.
void ReportException(QWidget *owner, std::exception_ptr error);

// The text a report shows for an exception: a TovralError's message, another exception's
// what(), or "Erro desconhecido".
QString ExceptionText(std::exception_ptr error);

// Runs work; an exception it raises goes to the standard error report instead of further up.
// Returns whether work ended normally. Windows wrap their creation handler in it, so a window
// whose FormCreate failed still exists.
template <typename Work>
bool RunReported(QWidget *owner, Work &&work)
{
    try {
        work();
        return true;
    } catch (...) {
        ReportException(owner, std::current_exception());
        return false;
    }
}

// Runs work, which returns a value (an event filter's "taken"), under the standard error
// report; when it throws, the result is failed.
template <typename Result, typename Work>
Result RunReported(QWidget *owner, Result failed, Work &&work)
{
    Result result = failed;
    RunReported(owner, [&] { result = work(); });
    return result;
}

// Reports an exception once the event loop runs again. While such a report waits or is
// shown, later ones are dropped.
void ReportLater(QWidget *owner, std::exception_ptr error);

// Runs the body of a paintEvent; an exception it raises is reported once the event loop runs
// again, since a message box must not open while a widget paints. A widget that cannot paint
// fails again at every repaint: the failures of one burst make one report.
template <typename Paint>
void PaintReported(QWidget *owner, Paint &&paint)
{
    try {
        paint();
    } catch (...) {
        ReportLater(owner, std::current_exception());
    }
}

// The member handler of owner as a slot whose body runs under RunReported. The slot takes
// the handler's own parameters, so Qt drops the signal's arguments that the handler does not
// take.
template <typename Owner, typename... Args>
auto Reported(Owner *owner, void (Owner::*handler)(Args...))
{
    return [owner, handler](Args... args) {
        RunReported(owner, [&] { (owner->*handler)(std::forward<Args>(args)...); });
    };
}

// A handler without parameters (a lambda) as a slot whose body runs under RunReported.
template <typename Work>
auto Reported(QWidget *owner, Work work)
{
    return [owner, work = std::move(work)] { RunReported(owner, work); };
}

// The application object: every event is delivered inside the standard error report.
class TTovralApplication : public QApplication {
    Q_OBJECT

public:
    TTovralApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
