#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include "mapdata/catalogue.h"

class QComboBox;
class QLabel;
class QPushButton;

// The state picker, shown modally by the map window's ChooseUF, and the program's in-memory
// state catalogue (img/txt/ufs.txt), read once when the window is created. Its entries follow
// the file's order; the distance calculator copies them and asks NextUFCode where a state's
// block of city rows ends.
class TformPickUF : public QDialog {
    Q_OBJECT

public:
    explicit TformPickUF(QWidget *parent = nullptr);

    QLabel *Image1 = nullptr;      // the 350 x 58 title banner
    QLabel *Label1 = nullptr;      // "Escolha um estado:"
    QComboBox *cUF = nullptr;      // display names, in file order (never sorted)
    QPushButton *bOK = nullptr;    // default button, result Accepted
    QPushButton *bCancel = nullptr; // cancel button, result Rejected

    // The file's lines in file order (FUFLines) and the sorted, duplicate-free list of their
    // first two characters in the file's letter case (FUFCodes); entry i of cUF comes from
    // line i.
    TUFCatalogue FUFCatalogue;
    // Code of the entry selected in cUF, upper case; "" until a selection was made.
    QString FSelectedUF;

    const QStringList &FUFLines() const { return FUFCatalogue.Lines(); }
    // The code that follows code in the sorted code list, "" when code sorts last.
    QString NextUFCode(const QString &code) const { return FUFCatalogue.NextUFCode(code); }

    void FormCreate();
    void FormShow();
    void cUFChange();

protected:
    void showEvent(QShowEvent *event) override;
};

extern TformPickUF *formPickUF;
