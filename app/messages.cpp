#include "app/messages.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPaintEngine>
#include <QWindow>
#include <cstdio>

#include "app/error_report.h"
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

bool DisplayPaints(QWidget &window)
{
    // A backing store of the window's surface gives a device with a paint engine, or none.
    QWindow *surface = window.windowHandle();
    if (!surface)
        return true; // not on screen yet: nothing tells that painting fails
    QBackingStore store(surface);
    store.resize(QSize(1, 1));
    store.beginPaint(QRegion(0, 0, 1, 1));
    const QPaintDevice *device = store.paintDevice();
    const bool paints = device && device->paintEngine();
    store.endPaint();
    return paints;
}

void WriteErrorMessage(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

void TerminateApplication()
{
    // Queued, so that the handler that asks finishes first.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), Reported(nullptr, [] { QCoreApplication::exit(0); }),
        Qt::QueuedConnection);
}
