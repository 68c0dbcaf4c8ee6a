#pragma once

#include <QString>

class QWidget;

// Message boxes of the viewer: owned by the reporting window, the application title as
// caption, modal to the whole application, one OK button.
void ShowErrorMessage(QWidget *owner, const QString &text);
void ShowInformationMessage(QWidget *owner, const QString &text);

// Whether windows can be painted on the display of this (shown) window. Qt paints nothing on
// an X display of 8 bits or fewer, and some controls painted there crash.
bool DisplayPaints(QWidget &window);

// An error message for a display without windows: a line on standard error.
void WriteErrorMessage(const QString &text);

// Tells the application to end: the event loop finishes the current event, then the
// program exits with code 0.
void TerminateApplication();
