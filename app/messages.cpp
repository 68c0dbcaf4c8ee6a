#include "app/messages.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "app/form_style.h"

namespace {
void ShowMessage(QWidget *owner, QMessageBox::Icon icon, const QString &text)
{
    // A box is placed over its owner; an owner not yet on screen (an error while the windows
    // are created) would put it wherever that window was going to be, so it is centred on the
    // screen instead.
    QWidget *shownOwner = owner && owner->isVisible() ? owner : nullptr;
    QMessageBox box(icon, ApplicationTitle(), text, QMessageBox::Ok, shownOwner);
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
