#pragma once

#include <QString>

class QObject;
class QPrinter;
class QWidget;

// The questions that saving and printing ask the user, behind one small interface so that
// tests can answer them without a dialog on the screen.
class TOutputDialogs {
public:
    virtual ~TOutputDialogs() = default;

    // The area chooser with question as its title. True when the user confirmed, with
    // visibleAreaOnly set to the choice; false when cancelled.
    virtual bool ChooseArea(QWidget *owner, const QString &question, bool &visibleAreaOnly) = 0;
    // The save dialog for JPEG images (an existing folder, overwriting only after asking,
    // ".jpg" added to a name without extension). The chosen path, or "" when cancelled.
    virtual QString ChooseSaveFile(QWidget *owner) = 0;
    // The print dialog; true when the user confirmed a printer, which Printer() then is.
    virtual bool ChoosePrinter(QWidget *owner) = 0;
    // The printer that print jobs go to: the last one chosen.
    virtual QPrinter &Printer() = 0;
};

// The platform's dialogs and the area chooser window, owned by parent (the map window).
TOutputDialogs *CreateSystemOutputDialogs(QObject *parent);
