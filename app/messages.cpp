#include "app/messages.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "app/form_style.h"

namespace {
void ShowMessage(QWidget *owner, QMessageBox::Icon icon, const QString &text)
{
    QMessageBox box(icon, ApplicationTitle(), text, QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}
} // namespace

void ShowErrorMessage(QWidget *owner, const QString &text)
{
    ShowMessage(owner, QMessageBox::Critical, text);
}

void ShowInformationMessage(QWidget *owner, const QString &text)
{
    ShowMessage(owner, QMessageBox::Information, text);
}

void TerminateApplication()
{
    // Queued, so that the handler that asks finishes first.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}
