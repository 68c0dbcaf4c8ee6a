#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "mapdata/catalogue.h"
#include "mapdata/coordinates.h"
#include "mapdata/map_image.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScreen;
class QToolButton;
class TPanel;
class TShapeCircle;
class TViewImage;
class TOutputDialogs;

// The map window: the banner, the left panel with the state name, the city locator and the
// pan pad, the map view with its zoom box and quality switch, and the bottom bar of output
// buttons. It owns the city catalogue, the current state's two maps and its reference
// points for its whole life; a change of state reloads them in place.
//
// Handlers carry the names of the events they serve and call each other directly as plain
// operations (ChooseUF runs cZoomChange and lCidadesClick, the pan buttons run cZoomChange).
// Their definitions are grouped by feature: app/tovral_main.cpp (start-up, state loading,
// zoom, pan, re-layout, legend button), search/ (the city locator), output/ (copy, save,
// print, distance calculator button).
class TformTovralMain : public QWidget {
    Q_OBJECT

public:
    explicit TformTovralMain(QWidget *parent = nullptr);
    ~TformTovralMain() override;

    // --- Controls, in their nesting order -------------------------------------------------
    TPanel *pTop = nullptr;             // banner bar, aligned to the top
    QLabel *Image1 = nullptr;           //   the 800 x 100 banner
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

    // --- View state -----------------------------------------------------------------------
    int32_t FLastClientWidth = 0;  // window client width at the start of the last redraw
    int32_t FLastClientHeight = 0; // window client height at the start of the last redraw
    bool FReady = false;           // a state has been loaded; the redraw does nothing before
    QPoint FCenter;                // view centre, full-map pixels
    long double FScale = 0;        // view pixels per full-map pixel, set by the redraw
    long double FLightRatio = 0;   // light map width / full map width
    std::unique_ptr<TCoordinates> FCoordinates; // reference points of the current state
    std::unique_ptr<TMapImage> FFullMap;        // <uf>_full.map
    std::unique_ptr<TMapImage> FLightMap;       // <uf>_light.map
    QString FUF;                   // code of the current state, upper case
    int32_t FSelectedCityRow = -1; // CityRows index of the city selected in lCidades, -1: none

    // Every line of img/txt/cidades.txt, sorted by the catalogue comparison (absent when the
    // catalogue could not be read), and the upper-case names of the current state's cities.
    // Entry i of lCidades is always the display form of entry i of StateCityNames.
    std::unique_ptr<TSortedStrings> CityRows;
    std::unique_ptr<TSortedStrings> StateCityNames;

    // The number of colours this window's display shows; DisplayColorCount unless a test
    // replaces it.
    std::function<double(const QScreen *)> ColorCountProbe;

    // --- Start-up and shutdown ------------------------------------------------------------
    void FormCreate();
    void FormActivate();
    void FormDestroy();
    void bSairClick();
    void bChangeUFClick();

    // --- Choosing and loading a state -----------------------------------------------------
    // Shows the state picker; after OK makes the chosen state current. Returns the chosen
    // code, or "" when the picker was cancelled. A failed load is reported and ends the
    // program.
    QString ChooseUF();
    // Makes the state with this code (the picker's current choice) the current one: its
    // cities, its maps and reference points, the whole map drawn. A failed load is reported
    // and ends the program.
    void LoadUF(const QString &code);

    // --- Map view -------------------------------------------------------------------------
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

    // --- City locator: the selection follow-up that state loading runs ---------------------
    void lCidadesClick();

    // --- Legend window --------------------------------------------------------------------
    void bLegendasClick();

    // === City locator (search/city_locator.cpp) and map output (output/map_output.cpp) =====
    void eCidadeChange();
    // Enter (carriage return) locates the selected city; key is replaced by 0 then.
    void eCidadeKeyPress(QChar &key);
    void lCidadesDblClick();
    void bCidadeMapaClick();
    void bCopiarClick();
    void bSaveIMGClick();
    void SaveMapImage(TOutputArea area);
    void bPrintClick();
    void PrintMap(TOutputArea area);
    void bCalcDistClick();
    // Asks the area, file and printer questions of saving and printing: the real dialogs
    // unless a test answers them. Not owned.
    TOutputDialogs *OutputDialogs = nullptr;

private:
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
    void ConnectViewHandlers();
    // Places the aligned panels (top, bottom, left, right, then the rest) for the current
    // client size, as the designed alignments say.
    void AlignPanels();

    void FillStateCities();
    void LoadStateFiles(const QString &code);
    // Moves FCenter by a pan step on each axis whose direction is not 0 (-1 towards the
    // origin, +1 away from it) and redraws when an axis could move.
    void Pan(int directionX, int directionY);

    bool FActivated = false;      // the first activation has been handled
    bool FPlacedOnScreen = false; // the window has been centred on its first showing
};

// The one map window, created first by the program's entry.
extern TformTovralMain *formTovralMain;
