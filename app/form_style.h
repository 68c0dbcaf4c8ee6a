#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <functional>

class QApplication;
class QComboBox;
class QCursor;
class QDialog;
class QEvent;
class QLabel;
class QPushButton;
class QWidget;

// The look shared by every window of the viewer. Layouts are in pixels, so fonts are sized
// in pixels too and never follow the screen's DPI.

// The application title: caption of the windows and of every message box.
QString ApplicationTitle();

// Sets the title and the default font of the application and loads Qt's own Brazilian
// Portuguese texts (file dialogs, message-box buttons), whatever the user's locale: the
// interface is Portuguese throughout. Without that translation Qt's texts stay English.
// Called once, right after the application object exists.
void InitialiseApplication(QApplication &application);

// The face of the forms' sans-serif fonts (metric-compatible with the designed ones).
QFont FormFont(int pixelHeight = 11, bool bold = false);

// Background of the map window and its panels.
inline constexpr QColor kFormColor{0xE0, 0xDF, 0xE3};

// The pointing-hand cursor of buttons and choice boxes (32 x 32, hot spot at the fingertip).
const QCursor &HandCursor();

// The closed hand shown while the map is dragged (32 x 32, hot spot in the palm).
const QCursor &ClosedHandCursor();

// The title bar of the modal dialogs: the caption and a close box only.
inline constexpr Qt::WindowFlags kDialogWindowFlags = Qt::Dialog | Qt::CustomizeWindowHint |
                                                      Qt::WindowTitleHint |
                                                      Qt::WindowCloseButtonHint;

// The 350 x 58 banner across the top of a dialog, named after its words for screen readers.
QLabel *AddSmallBanner(QWidget &form);

// Names a choice box for screen readers where no label of the window stands for it. On Linux
// the accessible name of a choice box is the entry it shows, and what it asks for comes from
// the label that names it (its buddy): the name is given by such a label, never shown. Call
// once the box has its objectName; the label is named after it with "Name" appended.
void NameChoiceBox(QComboBox &box, const QString &name);

// The OK (default) and "Cancelar" buttons side by side at the foot of a 350-pixel-wide dialog;
// "Cancelar" rejects the dialog.
struct TOkCancelButtons {
    QPushButton *OK;
    QPushButton *Cancel;
};
TOkCancelButtons AddOkCancelButtons(QDialog &dialog);

// Runs take on every event widget receives, before the widget; take returns true to keep the
// event from it. Lasts as long as the widget.
void FilterEvents(QWidget &widget, std::function<bool(QEvent &)> take);

// Makes Enter (Return or the keypad's Enter) on the focused button click it, as Space does;
// for buttons outside dialogs and for dialog buttons that are not auto-default.
void ClickOnEnter(QPushButton &button);

// Centres a top-level window on the screen it is (or will be) shown on.
void CentreOnScreen(QWidget &window);
