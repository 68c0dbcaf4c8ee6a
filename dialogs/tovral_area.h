#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QRadioButton;

// Asks whether an output operation takes only the visible part of the map or the whole map.
// The caller sets the question, runs exec() and reads VisibleAreaOnly() after Accepted.
class TformArea : public QDialog {
    Q_OBJECT

public:
    explicit TformArea(QWidget *parent = nullptr);

    // Puts the question into lTitulo.
    void SetQuestion(const QString &question);
    // Whether rb1 was selected when OK was last pressed.
    bool VisibleAreaOnly() const { return FVisibleAreaOnly; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void bOKClick();

    // Each control's objectName is its member name.
    QLabel *Image1 = nullptr;       // the 350 x 58 banner
    QLabel *lTitulo = nullptr;      // the question
    QRadioButton *rb1 = nullptr;    // "Apenas a área visível"
    QRadioButton *rb2 = nullptr;    // "Todo o mapa"
    QPushButton *bOK = nullptr;     // default button
    QPushButton *bCancel = nullptr; // cancel button

    bool FVisibleAreaOnly = false; // set by bOKClick: whether rb1 was selected
};

extern TformArea *formArea;
