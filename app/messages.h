#pragma once

#include <QString>

class QWidget;

// Message boxes of the viewer: owned by the reporting window, the application title as
// caption, modal to the whole application, one OK button.
void ShowErrorMessage(QWidget *owner, const QString &text);
void ShowInformationMessage(QWidget *owner, const QString &text);

// Tells the application to end: the event loop finishes the current event, then the
// program exits with code 0.
void TerminateApplication();
