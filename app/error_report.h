#pragma once

#include <QApplication>
#include <exception>

// The application's standard error report: an exception that no handler caught is shown in
// an error message box with its text, and the program goes on.
void ReportException(QWidget *owner, std::exception_ptr error);

// Runs work; an exception it raises goes to the standard error report instead of further up.
// Windows wrap their creation handler in it, so a window whose FormCreate failed still exists.
template <typename Work>
void RunReported(QWidget *owner, Work &&work)
{
    try {
        work();
    } catch (...) {
        ReportException(owner, std::current_exception());
    }
}

// The application object: every event is delivered inside the standard error report.
class TTovralApplication : public QApplication {
    Q_OBJECT

public:
    TTovralApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
