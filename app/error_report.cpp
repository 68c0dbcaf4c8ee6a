#include "app/error_report.h"

#include "app/messages.h"
#include "base/errors.h"

namespace {
QString ErrorText(std::exception_ptr error)
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
} // namespace

void ReportException(QWidget *owner, std::exception_ptr error)
{
    ShowErrorMessage(owner, ErrorText(error));
}

TTovralApplication::TTovralApplication(int &argc, char **argv) : QApplication(argc, argv)
{
}

bool TTovralApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportException(activeWindow(), std::current_exception());
        return true;
    }
}
