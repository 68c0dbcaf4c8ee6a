#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;

// Asks whether an output operation takes only the visible part of the map or the whole map.
// The caller sets lTitulo's text, runs exec() and reads VisibleAreaOnly after Accepted.
class TformArea : public QDialog {
    Q_OBJECT

public:
    explicit TformArea(QWidget *parent = nullptr);

    QLabel *Image1 = nullptr;       // the 350 x 58 banner
    QLabel *lTitulo = nullptr;      // the question
    QRadioButton *rb1 = nullptr;    // "Apenas a área visível"
    QRadioButton *rb2 = nullptr;    // "Todo o mapa"
    QPushButton *bOK = nullptr;     // default button
    QPushButton *bCancel = nullptr; // cancel button

    // Set by bOKClick: whether rb1 was selected.
    bool VisibleAreaOnly = false;

    void FormCreate();
    void FormShow();
    void bOKClick();

protected:
    void showEvent(QShowEvent *event) override;
};

extern TformArea *formArea;
