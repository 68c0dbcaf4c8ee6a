#pragma once

#include <QString>
#include <QTest>
#include <memory>

#include "app/error_report.h"
#include "tests/app/modal_answers.h"

// Starting and driving the viewer's windows in tests and benchmarks.

// How long a test waits for the viewer before it gives up.
inline constexpr int kViewerWaitMs = 20000;

// Picks the state shown as displayName in the picker, then presses OK or Cancel.
TModalAnswers::TAnswer PickState(const QString &displayName, bool confirm = true);

// Shows the map window of the viewer windows just created, picks displayName when the picker
// opens and waits until that state is shown and the window is enabled again; false when that
// did not happen in time.
bool ShowWithState(TModalAnswers &answers, const QString &displayName);

// Runs the application's event loop until the program is told to end; returns the exit
// code, or -1 when nothing ended it in time.
int RunUntilTerminated();

// Selects a zoom entry as the zoom box does.
void SelectZoom(int index);

// The application object set up as the program does, on the offscreen platform; it stays up
// when its last window closes, so that a test can create the windows again.
std::unique_ptr<TTovralApplication> StartOffscreenApplication(int &argc, char **argv);

// The main function of a Qt Test suite of the viewer's windows.
template <class TTest>
int RunViewerTests(int argc, char *argv[])
{
    const std::unique_ptr<TTovralApplication> application = StartOffscreenApplication(argc, argv);
    TTest test;
    return QTest::qExec(&test, argc, argv);
}
