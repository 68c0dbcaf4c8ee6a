#include "dialogs/tovral_status.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>

#include "app/error_report.h"
#include "app/form_style.h"

TformStatus *formStatus = nullptr;

namespace {
constexpr QSize kClientSize(290, 49);
} // namespace

TformStatus::TformStatus(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint)
{
    setFixedSize(kClientSize);
    lStatus = new QLabel(QStringLiteral("lStatus"), this);
    Q_SET_OBJECT_NAME(lStatus);
    lStatus->setGeometry(rect());
    lStatus->setAlignment(Qt::AlignCenter);
    FormCreate();
}

void TformStatus::FormCreate()
{
    setWindowTitle(ApplicationTitle());
}

void TformStatus::SetStatusText(const QString &text)
{
    lStatus->setText(text);
}

void TformStatus::closeEvent(QCloseEvent *event)
{
    RunReported(this, [&] {
        // Only the operation that showed the window hides it.
        event->ignore();
    });
}

TDisabledWindow::TDisabledWindow(QWidget *window, QWidget *focusAfter)
    : FWindow(window), FFocus(focusAfter ? focusAfter : window->focusWidget())
{
    FWindow->setEnabled(false);
}

TDisabledWindow::~TDisabledWindow()
{
    Release();
}

void TDisabledWindow::Release()
{
    if (FReleased)
        return;
    FReleased = true;
    FWindow->setEnabled(true);
    // In a window that is not active this makes the control the one focused on activation.
    if (FFocus)
        FFocus->setFocus(Qt::OtherFocusReason);
}

TStatusScope::TStatusScope(QWidget *window, const QString &text, bool processEvents,
                           QWidget *focusAfter)
    : FDisabled(window, focusAfter)
{
    formStatus->SetStatusText(text);
    formStatus->show();
    CentreOnScreen(*formStatus);
    formStatus->raise();
    if (processEvents)
        QCoreApplication::processEvents();
}

TStatusScope::~TStatusScope()
{
    Finish();
}

void TStatusScope::Finish()
{
    if (FDisabled.Released())
        return;
    formStatus->hide();
    FDisabled.Release();
}
