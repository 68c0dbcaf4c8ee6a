#pragma once

#include <QSize>
#include <QString>
#include <QTest>
#include <memory>

#include "app/error_report.h"
#include "app/tovral_main.h"
#include "tests/app/modal_answers.h"
#include "tests/support/window_controls.h"

class QComboBox;

// Starting and driving the viewer's windows in tests and benchmarks.

// How long a test waits for the viewer before it gives up.
inline constexpr int kViewerWaitMs = 20000;

// The bottom-left corner of the map view over which the scale bar is painted (view pixels):
// what a view shows there is not the view bitmap.
inline constexpr QSize kScaleBarCorner(220, 40);

// Picks the state shown as displayName in the picker, then presses OK or Cancel.
TModalAnswers::TAnswer PickState(const QString &displayName, bool confirm = true);

// Shows the map window of the viewer windows just created, picks displayName when the picker
// opens and waits until that state is shown and the window is enabled again; false when that
// did not happen in time.
bool ShowWithState(TModalAnswers &answers, const QString &displayName);

// Runs the application's event loop until the program is told to end; returns the exit
// code, or -1 when nothing ended it in time.
int RunUntilTerminated();

// The map window's control of that name (see Control).
template <class T>
T &MapControl(const char *name)
{
    return Control<T>(*formTovralMain, name);
}

// Chooses entry index of a choice box as a user's pick in its list does: the entry becomes
// current and the box reports it activated, also when it was current already.
void ChooseEntry(QComboBox &box, int index);

// Selects a zoom entry of the map window as a user does in its zoom box.
void SelectZoom(int index);

// Redraws the map window's view at its zoom entry, as choosing that entry again does.
void RedrawView();

// Clicks the map window's button (a push, tool or check button) of that name.
void ClickButton(const char *name);

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
