#include "app/error_report.h"

#include <QPointer>
#include <QWidget>

#include "app/messages.h"
#include "base/errors.h"

QString ExceptionText(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const TovralError &failure) {
        return failure.Message();
    } catch (const std::exception &failure) {
        return QString::fromLocal8Bit(failure.what());
    } catch (...) {
        return QStringLiteral("Erro desconhecido");
    }
}

void ReportException(QWidget *owner, std::exception_ptr error)
{
    ShowErrorMessage(owner, ExceptionText(error));
}

void ReportLater(QWidget *owner, std::exception_ptr error)
{
    static bool waiting = false;
    if (waiting)
        return;
    waiting = true;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [owner = QPointer<QWidget>(owner), error] {
            try {
                ReportException(owner, error);
            } catch (...) {
                // Nothing is left to report with: the failure goes unshown, the program goes on.
            }
            waiting = false;
        },
        Qt::QueuedConnection);
}

TTovralApplication::TTovralApplication(int &argc, char **argv) : QApplication(argc, argv)
{
}

bool TTovralApplication::notify(QObject *receiver, QEvent *event)
{
    // Taken before delivery: the receiver may be gone when an exception comes back.
    const char *receiverClass = receiver ? receiver->metaObject()->className() : "nothing";
    const int eventType = event ? int(event->type()) : 0;
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        // A handler let it through Qt, which does not carry exceptions: the line tells which
        // handler lacks its report.
        WriteErrorMessage(QStringLiteral("tovral: an exception passed through Qt, event %1 to a %2: %3")
                              .arg(eventType)
                              .arg(QString::fromLatin1(receiverClass), ExceptionText(std::current_exception())));
        ReportException(activeWindow(), std::current_exception());
        return true;
    }
}
