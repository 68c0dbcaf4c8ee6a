#pragma once

#include <QWidget>

class QLabel;
class QTabWidget;

// The map legend: four pictures on four tabbed pages, in a modeless tool window that stays
// on top. The map window's bLegendas shows and hides it; its caption follows the window's
// visibility, through the map window's ShowLegendCaption.
class TformLegendas : public QWidget {
    Q_OBJECT

public:
    explicit TformLegendas(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();

    // Each control's objectName is its member name.
    QTabWidget *Pages = nullptr;
    QLabel *Image3 = nullptr; // "Página 1": federal highways
    QLabel *Image4 = nullptr; // "Página 2": state highways
    QLabel *Image2 = nullptr; // "Página 3": cities and towns
    QLabel *Image1 = nullptr; // "Página 4": boundaries, water, credits
};

extern TformLegendas *formLegendas;
