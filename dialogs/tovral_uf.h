#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;
class TViewerData;

// The state picker, shown modally by the map window's ChooseUF. It reads the shared state
// catalogue (img/txt/ufs.txt) once, when the window is created, and lists its entries in the
// file's order; the map window and the distance calculator start from its choice.
class TformPickUF : public QDialog {
    Q_OBJECT

public:
    // data: the shared catalogues, which outlive the window; FormCreate reads the states.
    explicit TformPickUF(TViewerData &data, QWidget *parent = nullptr);

    // --- The choice, for reading: entry i of cUF comes from line i of the state catalogue --
    // Code of the entry selected in cUF, upper case; "" until a selection was made.
    const QString &SelectedUF() const { return FSelectedUF; }
    // The display name of cUF's current entry.
    QString SelectedName() const;
    // The position of cUF's current entry, -1: none.
    int SelectedIndex() const;
    // Makes entry index of cUF the choice, as a pick in the list does; an index that is no
    // entry changes nothing.
    void SelectState(int index);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void cUFChange();

    // Each control's objectName is its member name.
    QLabel *Image1 = nullptr;      // the 350 x 58 title banner
    QLabel *Label1 = nullptr;      // "Escolha um estado:"
    QComboBox *cUF = nullptr;      // display names, in file order (never sorted)
    QPushButton *bOK = nullptr;    // default button, result Accepted
    QPushButton *bCancel = nullptr; // cancel button, result Rejected

    TViewerData &FData;
    QString FSelectedUF; // set by cUFChange
};

extern TformPickUF *formPickUF;
