#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "mapdata/catalogue.h"
#include "app/map_view.h"
#include "app/view_image.h"
#include "search/city_places.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScreen;
class QToolButton;
class TPanel;
class TPointerPosition;
class TRouteOverlay;
struct TShownRoute;
class TScaleBarOverlay;
class TShapeCircle;
class TCitySuggestions;
struct TCitySuggestion;
class TTiledPicture;
class TViewerData;
class TOutputDialogs;

// The map window: the banner, the left panel with the state name, the city locator and the
// pan pad, the map view with its zoom box and quality switch, and the bottom bar of output
// buttons. It reads the shared city catalogue and owns the map view (the current state's two
// maps and reference points, and where the view looks at them) for its whole life; a change
// of state reloads it in place.
//
// Handlers carry the names of the events they serve and call each other directly as plain
// operations (ChooseUF runs cZoomChange and lCidadesClick, the pan buttons run cZoomChange).
// Their definitions are grouped by feature: app/tovral_main.cpp (start-up, state loading,
// zoom, pan, re-layout, legend button), search/ (the city locator), output/ (copy, save,
// print, distance calculator button). Controls and handlers are private: the other windows
// call the public verbs, and tests find a control by its objectName, its member name.
class TformTovralMain : public QWidget {
    Q_OBJECT

public:
    // data: the shared catalogues, which outlive the window; FormCreate reads the cities.
    explicit TformTovralMain(TViewerData &data, QWidget *parent = nullptr);
    ~TformTovralMain() override;

    // The number of colours this window's display shows; DisplayColorCount unless a test
    // replaces it.
    std::function<double(const QScreen *)> ColorCountProbe;

    // --- What the window shows, for reading ------------------------------------------------
    // A state has been loaded; the redraw does nothing before.
    bool Ready() const { return FReady; }
    // Code of the current state, upper case.
    const QString &CurrentUF() const { return FUF; }
    // CityRows index of the city selected in lCidades, -1: none.
    int SelectedCityRow() const { return FSelectedCityRow; }
    // The upper-case names of the current state's cities; entry i of lCidades is always the
    // display form of entry i.
    const TSortedStrings &StateCities() const { return StateCityNames; }
    // The map view; absent when the city catalogue could not be read at start-up.
    TMapView *View() { return FView.get(); }
    const TMapView *View() const { return FView.get(); }

    // Asks the area, file and printer questions of saving and printing: the real dialogs
    // unless a test answers them. Not owned.
    TOutputDialogs *OutputDialogs = nullptr;

    // Makes the state with this code (the picker's current choice) the current one: its
    // cities, its maps and reference points, the whole map drawn. A failed load is reported
    // and ends the program (false). ChooseUF runs it after the picker's OK; the benchmarks
    // load states with it.
    bool LoadUF(const QString &code);

    // Shows a road route (the calculator's "Mostrar no mapa"; the benchmarks): the origin's
    // state loaded first when another is shown, then the view fitted to the route's part in
    // it. The route stays until another state is loaded or "Limpar rota" is pressed.
    // ClearRoute takes it away and draws the view again.
    void ShowRoute(const TShownRoute &route);
    void ClearRoute();

    // The legend window reports whether it is shown: bLegendas then offers to hide it
    // ("Ocultar Legendas") or to show it ("Exibir Legendas").
    void ShowLegendCaption(bool shown);

private:
    // --- Start-up and shutdown ------------------------------------------------------------
    void FormCreate();
    void FormActivate();
    void FormDestroy();
    void bSairClick();

    // --- Choosing and loading a state -----------------------------------------------------
    // Shows the state picker; after OK makes the chosen state current. Returns the chosen
    // code, or "" when the picker was cancelled. A failed load is reported and ends the
    // program.
    QString ChooseUF();
    void bChangeUFClick();

    // --- Map view -------------------------------------------------------------------------
    // Redraws the view at the zoom entry of cZoom.
    void cZoomChange();
    void cbHQClick();
    void FormResize();
    void bTLClick();
    void bTClick();
    void bTRClick();
    void SpeedButton2Click();
    void SpeedButton1Click();
    void SpeedButton3Click();
    void SpeedButton5Click();
    void SpeedButton4Click();
    void bLegendasClick();

    // --- City locator: the selection follow-up that state loading runs ---------------------
    void lCidadesClick();

    // === City locator (search/city_locator.cpp) and map output (output/map_output.cpp) =====
    void eCidadeChange();
    // Enter (carriage return) locates the selected city, or the position typed; key is
    // replaced by 0 then.
    void eCidadeKeyPress(QChar &key);
    // When eCidade holds a position (search/typed_position.cpp): centres the map on it at
    // "100%" as on a located city, or says that it lies outside the state's map; true then.
    // False for any other text, which stays a city search.
    bool GoToTypedPosition();
    void lCidadesDblClick();
    void bCidadeMapaClick();
    // Centres the map on a full-map point at "100%" and redraws: where a located city or a
    // typed position is shown.
    void CentreAtFullSize(QPoint point);
    // Puts the selected entry of lCidades into eCidade and centres the map on it at "100%".
    void LocateSelectedCity();
    // The suggestions of cities of every state under eCidade follow its text; a chosen one is
    // located, its state loaded first when it is another.
    void ShowCitySuggestions();
    void CitySuggestionChosen(const TCitySuggestion &city);
    void bCopiarClick();
    void bSaveIMGClick();
    void SaveMapImage(TOutputArea area);
    void bPrintClick();
    void PrintMap(TOutputArea area);
    void bCalcDistClick();

    // --- The road route on the map (search/route_on_map.cpp) ------------------------------
    // Moves the view to the largest zoom entry at which the route's part fits with a margin,
    // centred on it; "Mapa Inteiro" when none does.
    void FitRoute();
    void bLimparRotaClick();
    // Takes the route and its bar away without drawing the view again; false when no route
    // was shown.
    bool HideRoute();
    // While a route is shown, puts its bar along the bottom of area (the view's room) and
    // returns what is left of it for the view; else returns area.
    QRect PlaceRouteBar(QRect area);
    // Makes the state whose city list shows a catalogue row current, unless it is shown
    // already; false when no state holds the row or its load failed.
    bool ShowStateOfCityRow(int row);

    void ConnectLocatorHandlers();
    void ConnectOutputHandlers();
    // === End of city locator and map output ==================================================

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildControls();
    void BuildLeftPanel();
    void BuildNavigationPad();
    void BuildMapArea();
    void BuildBottomBar();
    void BuildRouteBar();
    void ConnectViewHandlers();
    // Ctrl+S, Ctrl+P, Ctrl+C, Ctrl+Q run the handlers of "Salvar Imagem", "Imprimir",
    // "Copiar" and "Sair"; Ctrl+F runs FocusCitySearch. None takes a key from text editing,
    // and none acts while the window is disabled.
    void ConnectShortcuts();
    // Puts the focus in eCidade with its text selected, so that a name typed replaces it.
    void FocusCitySearch();
    // Places the aligned panels (top, bottom, left, right, then the rest) for the current
    // client size, as the designed alignments say.
    void AlignPanels();

    void FillStateCities();
    void LoadStateFiles(const QString &code);
    // Gives the map view the picture control's size and the device pixels per view pixel of
    // the screen it is on.
    void ResizeView();
    // The window has moved to another screen; redraws when that has another pixel density.
    void ScreenChanged();
    // What the map view says to screen readers: its name tells what it shows, the state, the
    // zoom and the city nearest its centre ("Mapa: Minas Gerais, zoom 100%, centro perto de
    // Belo Horizonte"); its description adds the keys that move it.
    TViewImage::TSpeech ViewSpeech();
    // Pans the view by a pan step on each axis whose direction is not 0 (-1 towards the
    // origin, +1 away from it) and redraws when an axis could move.
    void Pan(int directionX, int directionY);

    // The window's own input handler, which runs the zoom and pan handlers.
    friend class TMapNavigation;

    // --- Controls, in their nesting order; each one's objectName is its member name -------
    TPanel *pTop = nullptr;             // banner bar, aligned to the top
    QLabel *Image1 = nullptr;           //   the 800 x 100 banner
    TTiledPicture *ImageBannerTail = nullptr; // its landscape repeated to the right edge
    TPanel *pBottom = nullptr;          // button bar, aligned to the bottom
    QPushButton *bCalcDist = nullptr;   //   "Calculadora de Distâncias"
    QPushButton *bCopiar = nullptr;     //   "Copiar"
    QPushButton *bSaveIMG = nullptr;    //   "Salvar Imagem"
    QPushButton *bPrint = nullptr;      //   "Imprimir"
    QPushButton *bSair = nullptr;       //   "Sair", kept at the right end by FormResize
    TPanel *pLeft = nullptr;            // left panel
    TPanel *Bevel1 = nullptr;           //   frame around the state name
    QLabel *lUF = nullptr;              //   display name of the current state
    QLabel *Label1 = nullptr;           //   "Localizador de Cidades"
    QLineEdit *eCidade = nullptr;       //   typed city name
    QListWidget *lCidades = nullptr;    //   the state's cities, display case, sorted
    QPushButton *bCidadeMapa = nullptr; //   "Localizar cidade no mapa"
    QPushButton *bChangeUF = nullptr;   //   "Escolher outro estado"
    TPanel *pNav = nullptr;             //   the pan pad
    QToolButton *bTL = nullptr;         //     up-left
    QToolButton *bT = nullptr;          //     up
    QToolButton *bTR = nullptr;         //     up-right
    QToolButton *SpeedButton2 = nullptr; //    left
    QToolButton *SpeedButton1 = nullptr; //    right
    QToolButton *SpeedButton3 = nullptr; //    down-left
    QToolButton *SpeedButton5 = nullptr; //    down
    QToolButton *SpeedButton4 = nullptr; //    down-right
    TShapeCircle *Shape1 = nullptr;     //     gray centre mark
    TPanel *pRight = nullptr;           // right margin
    TPanel *pImage = nullptr;           // the map area, filling the rest
    TPanel *pTituloWork = nullptr;      //   zoom bar
    QLabel *Label6 = nullptr;           //     "Zoom:"
    QComboBox *cZoom = nullptr;         //     zoom levels, "Mapa Inteiro" .. "120%"
    QPushButton *bLegendas = nullptr;   //     "Exibir Legendas" / "Ocultar Legendas"
    TPanel *Panel2 = nullptr;           //     credits block
    TViewImage *Image = nullptr;        //   the view bitmap, unstretched
    TPanel *Panel1 = nullptr;           //   quality bar
    QCheckBox *cbHQ = nullptr;          //     high-quality drawing switch
    QLabel *lPosicao = nullptr;         //     the pointer's position over the map
    TPanel *pRota = nullptr;            //   route bar, under the view while a route is shown
    QLabel *lRota = nullptr;            //     the route's cities and road km
    QPushButton *bLimparRota = nullptr; //     "Limpar rota"

    TViewerData &FData; // the shared catalogues: the city rows, the states
    TSortedStrings StateCityNames{true}; // upper-case names of the current state's cities
    TCitySuggestions *FCitySuggestions = nullptr; // the list "lSugestoes" under eCidade, owned by it

    int32_t FLastClientWidth = 0;  // window client width at the start of the last redraw
    int32_t FLastClientHeight = 0; // window client height at the start of the last redraw
    bool FReady = false;           // a state has been loaded; the redraw does nothing before
    bool FDrawing = false;         // a redraw is running (it lets pending events run)
    std::unique_ptr<TMapView> FView; // made once the city catalogue has been read
    TScaleBarOverlay *FScaleBar = nullptr; // drawn over the view, owned by Image
    TPointerPosition *FPointerPosition = nullptr; // fills lPosicao, owned by Image
    std::unique_ptr<TRouteOverlay> FRouteOverlay; // the road route, drawn into the view bitmap
    QString FUF;                   // code of the current state, upper case
    int32_t FSelectedCityRow = -1; // CityRows index of the city selected in lCidades, -1: none
    TCityPlaces FCityPlaces;       // the current state's cities on its full map
    bool FCitiesPlaced = false;    // FCityPlaces holds the current state's cities

    bool FActivated = false;      // the first activation has been handled
    bool FPlacedOnScreen = false; // the window has been centred on its first showing
    bool FWatchingScreen = false; // ScreenChanged follows the window's screen
};

// The one map window, created first by the program's entry.
extern TformTovralMain *formTovralMain;
