#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <optional>
#include <utility>

#include "app/shown_route.h"
#include "mapdata/catalogue.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TViewerData;

// The distance calculator: the user picks an origin city (left column: state, then city)
// and a destination city (right column) and "Calcular" shows the approximate great-circle
// distance between them. Positions come from the city catalogue rows alone; no map or
// reference-point file is read. States and rows come from the shared catalogues; both
// columns open on the state picker's choice.
//
// Below the designed controls (the window is taller than designed for them), "Rota por
// estrada" answers in the window itself with the road distance between the same two cities
// over the data folder's road network, and "Mostrar no mapa" closes the window with that
// route for the map window to show (TakeRouteToShow). The answer is cleared as soon as either
// column's choice changes.
class TformDistancias : public QDialog {
    Q_OBJECT

public:
    // data: the shared catalogues, which outlive the window.
    explicit TformDistancias(const TViewerData &data, QWidget *parent = nullptr);

    // The two columns: the origin (In) and the destination (Out).
    enum class TSide { In, Out };
    // What a column has chosen, for reading: the state's code, upper case, and the CityRows
    // index of the selected city, -1: none.
    const QString &SideUF(TSide side) const { return Side(side).FUF; }
    int32_t SideCityRow(TSide side) const { return Side(side).FCityRow; }

    // The user's decimal separator, read once when the window is created; tests may set it.
    QString FDecimalSeparator;

    // The route "Mostrar no mapa" closed the window with, once; nothing after any other way
    // of closing.
    std::optional<TShownRoute> TakeRouteToShow();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // One column of the window: its controls and what it has chosen. The twin handlers of
    // the two columns run the same code on their side.
    struct TCitySide {
        QComboBox *cbUF = nullptr;        // the states, in the picker's order
        QLineEdit *eCidade = nullptr;     // typed city name
        QListWidget *lCidades = nullptr;  // the state's cities, display case, sorted
        QString FUF;                      // chosen state's code, upper case
        TSortedStrings FCityNames{true};  // upper-case city names; entry i is lCidades' entry i
        int32_t FCityRow = -1;            // CityRows index of the selected city, -1: none
    };

    void FormCreate();
    void FormShow();
    void cbUFInChange() { cbUFChange(In); }
    void cbUFOutChange() { cbUFChange(Out); }
    void eCidadeInChange() { eCidadeChange(In); }
    void eCidadeOutChange() { eCidadeChange(Out); }
    void eCidadeInKeyPress(QChar &key) { eCidadeKeyPress(In, key); }
    void eCidadeOutKeyPress(QChar &key) { eCidadeKeyPress(Out, key); }
    void lCidadesInClick() { lCidadesClick(In); }
    void lCidadesOutClick() { lCidadesClick(Out); }
    void Button1Click();
    void Button2Click();
    void bRotaEstradaClick();
    void bMostrarRotaClick();

    // Builds a column's controls at left; their objectNames are their member names followed
    // by suffix ("In": cbUFIn, eCidadeIn, lCidadesIn), their names for screen readers begin
    // with sideName ("Origem: estado", "Origem: cidade", "Origem: cidades do estado").
    void BuildSide(TCitySide &side, int left, const QString &suffix, const QString &sideName);
    void ConnectSide(TCitySide &side, void (TformDistancias::*change)(),
                     void (TformDistancias::*search)(), void (TformDistancias::*keyPress)(QChar &),
                     void (TformDistancias::*click)());
    const TCitySide &Side(TSide side) const { return side == TSide::In ? In : Out; }
    void cbUFChange(TCitySide &side);
    void eCidadeChange(TCitySide &side);
    void eCidadeKeyPress(TCitySide &side, QChar &key);
    void lCidadesClick(TCitySide &side);
    // The city chosen on a side as the answer names it: "São Paulo/SP".
    QString SideCityName(const TCitySide &side) const;
    // Shows text as the road answer; route is the route found, if any ("Mostrar no mapa" is
    // enabled with one). An empty text clears the answer.
    void ShowRoadAnswer(const QString &text, std::optional<TShownRoute> route = std::nullopt);

    // Each control's objectName is its member name.
    QLabel *Image1 = nullptr; // the 350 x 58 title banner
    QLabel *Label1 = nullptr; // "Calculadora de distâncias"
    QLabel *Label2 = nullptr; // the instructions
    TCitySide In;             // origin: cbUFIn, eCidadeIn, lCidadesIn
    TCitySide Out;            // destination: cbUFOut, eCidadeOut, lCidadesOut
    QPushButton *Button1 = nullptr; // "Calcular"
    QPushButton *Button2 = nullptr; // "Voltar"
    QPushButton *bRotaEstrada = nullptr; // "Rota por estrada"
    QPushButton *bMostrarRota = nullptr; // "Mostrar no mapa"
    QPlainTextEdit *mRota = nullptr;     // the road answer

    // The origin and destination rows the answer shown is for ({-2, -2} when none is
    // shown), the route it found, and the route to show on the map.
    std::pair<int32_t, int32_t> FAnswerRows{-2, -2};
    std::optional<TShownRoute> FRoute;
    std::optional<TShownRoute> FRouteToShow;

    const TViewerData &FData;
};

// The distance message, "Distância aproximada: %0.2fKm": fixed, two decimals, no thousands
// separator, the given decimal separator.
QString DistanceMessage(long double kilometres, const QString &decimalSeparator);

extern TformDistancias *formDistancias;
