#include "app/tovral_main.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QSignalBlocker>
#include <QToolButton>
#include <QWindow>

#include "app/bevel_panel.h"
#include "app/error_report.h"
#include "app/form_style.h"
#include "app/input_hold.h"
#include "app/map_navigation.h"
#include "app/messages.h"
#include "app/pointer_position.h"
#include "app/route_overlay.h"
#include "app/scale_bar_overlay.h"
#include "app/view_image.h"
#include "app/view_math.h"
#include "app/viewer_data.h"
#include "base/errors.h"
#include "dialogs/tovral_leg.h"
#include "dialogs/tovral_status.h"
#include "dialogs/tovral_uf.h"
#include "mapdata/app_path.h"
#include "mapdata/display_probe.h"
#include "mapdata/names.h"
#include "resources/viewer_art/viewer_art.h"
#include "search/city_suggestions.h"

TformTovralMain *formTovralMain = nullptr;

namespace {
using TBevel = TPanel::TBevel;

// The designed client size; the window keeps it except while maximised.
constexpr QSize kDesignedClientSize(610, 406);

// Heights and widths of the aligned panels, as designed.
constexpr int kTopBarHeight = 103;
constexpr int kBottomBarHeight = 39;
constexpr int kLeftPanelWidth = 155;
constexpr int kRightMarginWidth = 10;
constexpr int kZoomBarHeight = 30;
constexpr int kQualityBarHeight = 19;
constexpr int kCreditsWidth = 171;

// Gap between the status line and the buttons either side of it, in pixels.
constexpr int kStatusLineGap = 4;

// Gaps kept by the re-layout of the left panel, in pixels.
constexpr int kNavigationPadBottomGap = 4;
constexpr int kChangeStateGap = 4;
constexpr int kLocateGap = 2;

// Displays that show this many colours or fewer are refused.
constexpr double kMinimumDisplayColours = 256.0;

const QString kDisplayTooPoorMessage = QStringLiteral(
    "Este programa exige vídeo configurado para exibir cores em 16 bits ou mais. Em caso de "
    "dúvida, consulte as propriedades de vídeo, no painel de controle.");
const QString kLoadFailedMessage = QStringLiteral("Erro ao carregar mapas");
const QString kLoadingStatus = QStringLiteral("Aguarde. Carregando mapa...");
const QString kShowLegendsCaption = QStringLiteral("Exibir Legendas");
const QString kHideLegendsCaption = QStringLiteral("Ocultar Legendas");
// What screen readers say of the map view before a state is shown, and how to move it.
const QString kViewName = QStringLiteral("Mapa");
const QString kViewKeys = QStringLiteral(
    "As setas movem o mapa; as teclas mais e menos mudam o zoom; Home mostra o mapa inteiro; "
    "Esc volta ao Localizador de Cidades.");

template <typename Control>
Control *Place(Control *control, int left, int top, int width, int height)
{
    control->setGeometry(left, top, width, height);
    return control;
}

QPushButton *MakeButton(QWidget *parent, const QString &caption, QRect geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    button->setCursor(HandCursor());
    ClickOnEnter(*button);
    return button;
}

// A label sized to its text, as the form designer's auto-sized labels are.
QLabel *MakeLabel(QWidget *parent, const QString &caption, QPoint topLeft, bool bold = false)
{
    auto *label = new QLabel(caption, parent);
    label->setFont(FormFont(11, bold));
    label->move(topLeft);
    label->adjustSize();
    return label;
}

// A pan button showing the arrow glyph, named for screen readers after the compass direction
// it moves the map to ("norte", "nordeste", ...).
QToolButton *MakePanButton(QWidget *parent, const QString &glyph, const QString &direction,
                           QPoint topLeft)
{
    static constexpr int kSide = 22;
    static constexpr int kGlyphSide = 16;
    auto *button = new QToolButton(parent);
    button->setAccessibleName(QStringLiteral("Mover o mapa para o ") + direction);
    button->setGeometry(QRect(topLeft, QSize(kSide, kSide)));
    button->setIcon(QIcon(ViewerArt::ArrowGlyph(glyph)));
    button->setIconSize(QSize(kGlyphSide, kGlyphSide));
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(false);
    button->setCursor(HandCursor());
    return button;
}
} // namespace

TformTovralMain::TformTovralMain(TViewerData &data, QWidget *parent) : QWidget(parent), FData(data)
{
    ColorCountProbe = DisplayColorCount;
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, kFormColor);
    setPalette(background);
    BuildControls();
    ConnectViewHandlers();
    ConnectShortcuts();
    ConnectLocatorHandlers();
    ConnectOutputHandlers();
    RunReported(this, [this] { FormCreate(); });
}

TformTovralMain::~TformTovralMain()
{
    FormDestroy();
}

// --- Layout -------------------------------------------------------------------------------

void TformTovralMain::BuildControls()
{
    pTop = new TPanel(this, TBevel::Lowered, TBevel::Raised, kFormColor);
    Q_SET_OBJECT_NAME(pTop);
    Image1 = new QLabel(pTop);
    Q_SET_OBJECT_NAME(Image1);
    Image1->setPixmap(ViewerArt::Picture(ViewerArt::MainBanner(), devicePixelRatioF()));
    Image1->setAccessibleName(ViewerArt::BannerWords());
    Image1->move(0, 0);
    Image1->adjustSize();
    // On a window wider than the banner its landscape goes on to the right edge (AlignPanels).
    ImageBannerTail = new TTiledPicture(
        pTop, ViewerArt::Picture(ViewerArt::MainBannerTail(), devicePixelRatioF()));
    Q_SET_OBJECT_NAME(ImageBannerTail);

    BuildBottomBar();
    BuildLeftPanel();
    pRight = new TPanel(this, TBevel::None, TBevel::None, kFormColor);
    Q_SET_OBJECT_NAME(pRight);
    BuildMapArea();

    setTabOrder(eCidade, lCidades);
    setTabOrder(lCidades, bCidadeMapa);
    setTabOrder(bCidadeMapa, bChangeUF);
    setTabOrder(bChangeUF, Image);
    setTabOrder(Image, cZoom);
    setTabOrder(cZoom, bLegendas);
    setTabOrder(bLegendas, bLimparRota);
    setTabOrder(bLimparRota, cbHQ);
    setTabOrder(cbHQ, bCalcDist);
    setTabOrder(bCalcDist, bCopiar);
    setTabOrder(bCopiar, bSaveIMG);
    setTabOrder(bSaveIMG, bPrint);
    setTabOrder(bPrint, bSair);
}

void TformTovralMain::BuildBottomBar()
{
    pBottom = new TPanel(this, TBevel::Raised, TBevel::Lowered, kFormColor);
    Q_SET_OBJECT_NAME(pBottom);
    bCalcDist = MakeButton(pBottom, QStringLiteral("Calculadora de Distâncias"), {8, 7, 137, 25});
    Q_SET_OBJECT_NAME(bCalcDist);
    bCopiar = MakeButton(pBottom, QStringLiteral("Copiar"), {149, 7, 84, 25});
    Q_SET_OBJECT_NAME(bCopiar);
    bSaveIMG = MakeButton(pBottom, QStringLiteral("Salvar Imagem"), {237, 7, 84, 25});
    Q_SET_OBJECT_NAME(bSaveIMG);
    bPrint = MakeButton(pBottom, QStringLiteral("Imprimir"), {325, 7, 84, 25});
    Q_SET_OBJECT_NAME(bPrint);
    bSair = MakeButton(pBottom, QStringLiteral("Sair"), {520, 7, 83, 25});
    Q_SET_OBJECT_NAME(bSair);
    // The status line: the pointer's position over the map, in the gap before "Sair" (placed
    // by FormResize); two lines where one does not fit.
    lPosicao = new QLabel(pBottom);
    Q_SET_OBJECT_NAME(lPosicao);
    lPosicao->setFont(FormFont(11));
    lPosicao->setAlignment(Qt::AlignCenter);
    lPosicao->setAccessibleName(QStringLiteral("Posição do ponteiro no mapa"));
}

void TformTovralMain::BuildLeftPanel()
{
    pLeft = new TPanel(this, TBevel::None, TBevel::None, kFormColor);
    Q_SET_OBJECT_NAME(pLeft);
    Bevel1 = Place(new TPanel(pLeft, TBevel::Lowered, TBevel::Raised, kFormColor), 0, 0, 165, 30);
    Q_SET_OBJECT_NAME(Bevel1);
    lUF = Place(new QLabel(pLeft), 6, 9, 141, 13);
    Q_SET_OBJECT_NAME(lUF);
    lUF->setFont(FormFont(11, true));
    Label1 = MakeLabel(pLeft, QStringLiteral("Localizador de Cidades"), {5, 33});
    Q_SET_OBJECT_NAME(Label1);

    eCidade = Place(new QLineEdit(pLeft), 4, 48, 146, 21);
    Q_SET_OBJECT_NAME(eCidade);
    eCidade->setMaxLength(200);
    Label1->setBuddy(eCidade);
    lCidades = Place(new QListWidget(pLeft), 4, 72, 146, 57);
    Q_SET_OBJECT_NAME(lCidades);
    lCidades->setAccessibleName(QStringLiteral("Cidades do estado"));
    lCidades->setUniformItemSizes(true);
    lCidades->setStyleSheet(QStringLiteral("QListWidget::item { height: 13px; padding: 0px; }"));
    bCidadeMapa = MakeButton(pLeft, QStringLiteral("Localizar cidade no mapa"), {5, 135, 146, 20});
    Q_SET_OBJECT_NAME(bCidadeMapa);
    bChangeUF = MakeButton(pLeft, QStringLiteral("Escolher outro estado"), {5, 157, 146, 20});
    Q_SET_OBJECT_NAME(bChangeUF);
    BuildNavigationPad();
}

void TformTovralMain::BuildNavigationPad()
{
    pNav = Place(new TPanel(pLeft, TBevel::Raised, TBevel::Lowered, kFormColor), 35, 180, 82, 80);
    Q_SET_OBJECT_NAME(pNav);
    bTL = MakePanButton(pNav, QStringLiteral("up_left"), QStringLiteral("noroeste"), {6, 6});
    Q_SET_OBJECT_NAME(bTL);
    bT = MakePanButton(pNav, QStringLiteral("up"), QStringLiteral("norte"), {30, 6});
    Q_SET_OBJECT_NAME(bT);
    bTR = MakePanButton(pNav, QStringLiteral("up_right"), QStringLiteral("nordeste"), {54, 6});
    Q_SET_OBJECT_NAME(bTR);
    SpeedButton2 = MakePanButton(pNav, QStringLiteral("left"), QStringLiteral("oeste"), {6, 29});
    Q_SET_OBJECT_NAME(SpeedButton2);
    SpeedButton1 = MakePanButton(pNav, QStringLiteral("right"), QStringLiteral("leste"), {54, 29});
    Q_SET_OBJECT_NAME(SpeedButton1);
    SpeedButton3 =
        MakePanButton(pNav, QStringLiteral("down_left"), QStringLiteral("sudoeste"), {6, 52});
    Q_SET_OBJECT_NAME(SpeedButton3);
    SpeedButton5 = MakePanButton(pNav, QStringLiteral("down"), QStringLiteral("sul"), {30, 52});
    Q_SET_OBJECT_NAME(SpeedButton5);
    SpeedButton4 =
        MakePanButton(pNav, QStringLiteral("down_right"), QStringLiteral("sudeste"), {54, 52});
    Q_SET_OBJECT_NAME(SpeedButton4);
    Shape1 = Place(new TShapeCircle(pNav), 33, 32, 16, 17);
    Q_SET_OBJECT_NAME(Shape1);
    Shape1->setAccessibleName(QStringLiteral("Centro"));
}

void TformTovralMain::BuildMapArea()
{
    pImage = new TPanel(this, TBevel::Lowered, TBevel::None, Qt::white);
    Q_SET_OBJECT_NAME(pImage);

    pTituloWork = new TPanel(pImage, TBevel::Raised, TBevel::None, kFormColor);
    Q_SET_OBJECT_NAME(pTituloWork);
    Label6 = MakeLabel(pTituloWork, QStringLiteral("Zoom:"), {7, 7});
    Q_SET_OBJECT_NAME(Label6);
    cZoom = Place(new QComboBox(pTituloWork), 42, 4, 97, 21);
    Q_SET_OBJECT_NAME(cZoom);
    cZoom->addItems({QStringLiteral("Mapa Inteiro"), QStringLiteral("20%"), QStringLiteral("40%"),
                     QStringLiteral("60%"), QStringLiteral("80%"), QStringLiteral("100%"),
                     QStringLiteral("120%")});
    cZoom->setCursor(HandCursor());
    Label6->setBuddy(cZoom);
    bLegendas = MakeButton(pTituloWork, kShowLegendsCaption, {144, 4, 107, 21});
    Q_SET_OBJECT_NAME(bLegendas);

    Panel2 = new TPanel(pTituloWork, TBevel::None, TBevel::None, kFormColor);
    Q_SET_OBJECT_NAME(Panel2);
    // Two rows at their designed places, each a bold caption followed by who did the work: the
    // program and its pictures (drawn by its own code from public geodata) are the team's.
    const auto credit = [this](const QString &text, QPoint topLeft, bool bold) {
        auto *label = new QLabel(text, Panel2);
        label->setFont(FormFont(11, bold));
        label->setAttribute(Qt::WA_TranslucentBackground);
        label->setStyleSheet(QStringLiteral("color: black;"));
        label->move(topLeft);
        label->adjustSize();
    };
    credit(QStringLiteral("Programação: "), {6, 0}, true);
    credit(QStringLiteral("equipe Tovral"), {85, 0}, false);
    credit(QStringLiteral("Ilustração:"), {59, 13}, true);
    credit(QStringLiteral("Tovral"), {121, 13}, false);

    Image = new TViewImage(pImage);
    Q_SET_OBJECT_NAME(Image);
    Image->SetSpeech([this] { return ViewSpeech(); });
    new TMapNavigation(*this, *Image); // owned by the view
    FPointerPosition = new TPointerPosition(*Image, *lPosicao, [this] {
        return FView ? &FView->Coordinates() : nullptr;
    });
    FRouteOverlay = std::make_unique<TRouteOverlay>();
    auto scaleBar = std::make_unique<TScaleBarOverlay>(QLocale::system().decimalPoint().front());
    FScaleBar = scaleBar.get();
    Image->AddOverlay(std::move(scaleBar));

    Panel1 = new TPanel(pImage, TBevel::Raised, TBevel::None, kFormColor);
    Q_SET_OBJECT_NAME(Panel1);
    cbHQ = Place(new QCheckBox(
                     QStringLiteral("Desenhar mapas com máxima qualidade (desenho mais lento)"), Panel1),
                 4, 2, 325, 16);
    Q_SET_OBJECT_NAME(cbHQ);
    cbHQ->setChecked(true);
    cbHQ->setCursor(HandCursor());
    BuildRouteBar();
}

void TformTovralMain::ConnectViewHandlers()
{
    connect(bSair, &QPushButton::clicked, this, Reported(this, &TformTovralMain::bSairClick));
    connect(bChangeUF, &QPushButton::clicked, this, Reported(this, &TformTovralMain::bChangeUFClick));
    connect(cZoom, &QComboBox::activated, this, Reported(this, &TformTovralMain::cZoomChange));
    connect(cbHQ, &QCheckBox::clicked, this, Reported(this, &TformTovralMain::cbHQClick));
    connect(bTL, &QToolButton::clicked, this, Reported(this, &TformTovralMain::bTLClick));
    connect(bT, &QToolButton::clicked, this, Reported(this, &TformTovralMain::bTClick));
    connect(bTR, &QToolButton::clicked, this, Reported(this, &TformTovralMain::bTRClick));
    connect(SpeedButton2, &QToolButton::clicked, this, Reported(this, &TformTovralMain::SpeedButton2Click));
    connect(SpeedButton1, &QToolButton::clicked, this, Reported(this, &TformTovralMain::SpeedButton1Click));
    connect(SpeedButton3, &QToolButton::clicked, this, Reported(this, &TformTovralMain::SpeedButton3Click));
    connect(SpeedButton5, &QToolButton::clicked, this, Reported(this, &TformTovralMain::SpeedButton5Click));
    connect(SpeedButton4, &QToolButton::clicked, this, Reported(this, &TformTovralMain::SpeedButton4Click));
    connect(bLegendas, &QPushButton::clicked, this, Reported(this, &TformTovralMain::bLegendasClick));
}

void TformTovralMain::ConnectShortcuts()
{
    const auto bind = [this](QKeyCombination keys, std::function<void()> handler) {
        auto *shortcut = new QShortcut(QKeySequence(keys), this);
        connect(shortcut, &QShortcut::activated, this, Reported(this, [this, handler] {
            if (isEnabled())
                handler();
        }));
    };
    bind(Qt::CTRL | Qt::Key_S, [this] { bSaveIMGClick(); });
    bind(Qt::CTRL | Qt::Key_P, [this] { bPrintClick(); });
    bind(Qt::CTRL | Qt::Key_C, [this] { bCopiarClick(); });
    bind(Qt::CTRL | Qt::Key_Q, [this] { bSairClick(); });
    bind(Qt::CTRL | Qt::Key_F, [this] { FocusCitySearch(); });
    // An edit box without selected text would take Ctrl+C and copy nothing: the shortcut
    // then passes it and copies the map. With a selection the box copies its text.
    FilterEvents(*eCidade, [this](QEvent &event) {
        if (event.type() != QEvent::ShortcutOverride ||
            !static_cast<const QKeyEvent &>(event).matches(QKeySequence::Copy) ||
            eCidade->hasSelectedText())
            return false;
        event.ignore();
        return true;
    });
}

void TformTovralMain::FocusCitySearch()
{
    eCidade->setFocus(Qt::ShortcutFocusReason);
    eCidade->selectAll();
}

void TformTovralMain::AlignPanels()
{
    QRect rest = rect();
    pTop->setGeometry(rest.left(), rest.top(), rest.width(), kTopBarHeight);
    ImageBannerTail->setGeometry(Image1->width(), 0, qMax(0, pTop->width() - Image1->width()),
                                 Image1->height());
    rest.setTop(rest.top() + kTopBarHeight);
    pBottom->setGeometry(rest.left(), rest.bottom() + 1 - kBottomBarHeight, rest.width(),
                         kBottomBarHeight);
    rest.setBottom(rest.bottom() - kBottomBarHeight);
    pLeft->setGeometry(rest.left(), rest.top(), kLeftPanelWidth, rest.height());
    rest.setLeft(rest.left() + kLeftPanelWidth);
    pRight->setGeometry(rest.right() + 1 - kRightMarginWidth, rest.top(), kRightMarginWidth,
                        rest.height());
    rest.setRight(rest.right() - kRightMarginWidth);
    pImage->setGeometry(rest);

    QRect inside = pImage->ClientRect();
    pTituloWork->setGeometry(inside.left(), inside.top(), inside.width(), kZoomBarHeight);
    inside.setTop(inside.top() + kZoomBarHeight);
    Panel1->setGeometry(inside.left(), inside.bottom() + 1 - kQualityBarHeight, inside.width(),
                        kQualityBarHeight);
    inside.setBottom(inside.bottom() - kQualityBarHeight);
    Image->setGeometry(PlaceRouteBar(inside));

    const QRect bar = pTituloWork->ClientRect();
    Panel2->setGeometry(bar.right() + 1 - kCreditsWidth, bar.top(), kCreditsWidth, bar.height());
}

// --- Start-up and shutdown ----------------------------------------------------------------

void TformTovralMain::FormCreate()
{
    FReady = false;
    resize(kDesignedClientSize);
    setWindowTitle(ApplicationTitle());
    setCursor(Qt::ArrowCursor);
    HandCursor(); // loads the cursor for every window created after this one
    lUF->clear();
    eCidade->clear();
    lCidades->clear();
    FData.ReadCityCatalogue();
    FView = std::make_unique<TMapView>();
    ResizeView();
    // Long renderings let pending events run after every piece, so the window stays responsive.
    FView->OnEachPiece([] { QCoreApplication::processEvents(); });
}

void TformTovralMain::FormActivate()
{
    if (ColorCountProbe(screen()) > kMinimumDisplayColours) {
        if (ChooseUF().isEmpty())
            TerminateApplication();
        return;
    }
    if (DisplayPaints(*this)) {
        ShowErrorMessage(this, kDisplayTooPoorMessage);
    } else {
        // Nothing shows there, and painting the window may crash: it goes, the text is written.
        hide();
        WriteErrorMessage(kDisplayTooPoorMessage);
    }
    TerminateApplication();
}

void TformTovralMain::FormDestroy()
{
    FView.reset();
}

void TformTovralMain::bSairClick()
{
    close();
}

void TformTovralMain::bChangeUFClick()
{
    ChooseUF();
}

void TformTovralMain::changeEvent(QEvent *event)
{
    RunReported(this, [&] {
        QWidget::changeEvent(event);
        if (event->type() != QEvent::ActivationChange || FActivated || !isActiveWindow())
            return;
        // Only the first activation counts; the work runs once the activation is delivered.
        FActivated = true;
        QMetaObject::invokeMethod(this, Reported(this, &TformTovralMain::FormActivate), Qt::QueuedConnection);
    });
}

void TformTovralMain::showEvent(QShowEvent *event)
{
    RunReported(this, [&] {
        QWidget::showEvent(event);
        if (!FWatchingScreen && windowHandle()) {
            FWatchingScreen = true;
            // Queued, so that the window's pixel ratio has followed the screen when it runs.
            connect(windowHandle(), &QWindow::screenChanged, this,
                    Reported(this, &TformTovralMain::ScreenChanged), Qt::QueuedConnection);
        }
        if (!FPlacedOnScreen && !isMaximized()) {
            FPlacedOnScreen = true;
            CentreOnScreen(*this);
        }
        // Ask for the focus on the first showing, also where no window manager gives it.
        if (!FActivated)
            activateWindow();
    });
}

void TformTovralMain::closeEvent(QCloseEvent *event)
{
    RunReported(this, [&] {
        // Closing the map window ends the program, whatever other windows are open.
        event->accept();
        TerminateApplication();
    });
}

// --- Choosing and loading a state ---------------------------------------------------------

QString TformTovralMain::ChooseUF()
{
    if (formPickUF->exec() != QDialog::Accepted)
        return QString();
    const QString code = formPickUF->SelectedUF();
    LoadUF(code);
    return code;
}

bool TformTovralMain::LoadUF(const QString &code)
{
    HideRoute(); // a route belongs to the state it was shown on; the new map is drawn below
    FUF = code;
    FCitySuggestions->Close();
    {
        // Every load ends with the focus in the search box, ready for a name.
        TStatusScope loading(this, kLoadingStatus, true, eCidade);
        lUF->setText(formPickUF->SelectedName());
        FillStateCities();
        try {
            LoadStateFiles(code);
        } catch (...) {
            loading.Finish();
            // The box says only that the load failed; the line names the file and the reason.
            WriteErrorMessage(QStringLiteral("tovral: cannot load the state %1: %2")
                                  .arg(code, ExceptionText(std::current_exception())));
            ShowErrorMessage(this, kLoadFailedMessage);
            TerminateApplication();
            return false;
        }
    }
    activateWindow();
    FCitiesPlaced = false; // the new state's, placed when first asked for
    FReady = true;
    {
        const QSignalBlocker quiet(cZoom);
        cZoom->setCurrentIndex(kWholeMapZoomIndex);
    }
    // A first drawing that fails is reported; the city selection is still brought in line.
    RunReported(this, [this] { cZoomChange(); });
    lCidadesClick();
    return true;
}

void TformTovralMain::FillStateCities()
{
    lCidades->clear();
    const TCityBlock block = StateCityBlock(FData.CityRows(), FUF, FData.NextUFCode(FUF));
    StateCityNames = ::StateCityNames(FData.CityRows(), block);
    // Inserted in the names' own order, so that entry i of the list is entry i of the names.
    for (const QString &name : StateCityNames.Items())
        lCidades->addItem(CapitalizeName(name));
    const QSignalBlocker quietEdit(eCidade);
    const QSignalBlocker quietList(lCidades);
    eCidade->clear();
    if (lCidades->count() > 0)
        lCidades->setCurrentRow(0);
}

void TformTovralMain::LoadStateFiles(const QString &code)
{
    if (!FView)
        throw TovralError(
            QStringLiteral("The city catalogue %1 could not be read at start-up, so no map is shown")
                .arg(QDir::toNativeSeparators(TViewerData::CityCataloguePath())));
    // Nothing is drawn over the old map, nor read from under the pointer, with the new
    // state's points.
    Image->SetGeometry(std::nullopt);
    FPointerPosition->Forget();
    const QString stem = LowerCase(code);
    FView->Load(DataPath(stem + QStringLiteral("_light.map")),
                DataPath(stem + QStringLiteral("_full.map")), DataPath(stem + QStringLiteral(".pts")));
}

// --- Map view -----------------------------------------------------------------------------

void TformTovralMain::cZoomChange()
{
    if (!FReady || !isEnabled() || FDrawing)
        return;
    // The pending events the rendering lets run never start a second redraw, and no input
    // reaches the window meanwhile; its controls keep their look.
    const QScopedValueRollback drawing(FDrawing, true);
    const TInputHold held(this);
    // Also a drawing that failed half-way is shown: what it drew, the rest blank.
    const auto repaint = qScopeGuard([this] { Image->update(); });
    FLastClientWidth = width();
    FLastClientHeight = height();
    ResizeView(); // drawn for the screen the window is on now
    FView->ZoomTo(cZoom->currentIndex());
    const TRenderQuality quality = cbHQ->isChecked() ? TRenderQuality::High : TRenderQuality::Plain;
    // What is drawn over the map follows the new view already while its pieces come in.
    Image->SetGeometry(FView->Geometry());
    const std::optional<TKmPerPixel> groundScale = FView->GroundScaleAtCentre();
    FScaleBar->SetGroundScale(groundScale ? std::optional<long double>(groundScale->X) : std::nullopt);
    FView->Render(Image->Bitmap(), quality, FRouteOverlay.get());
    Image->AnnounceSpeech();
    FPointerPosition->Refresh();
    FView->PrepareSurroundings(quality); // the next pan step draws from the cache
}

TViewImage::TSpeech TformTovralMain::ViewSpeech()
{
    if (!FReady || !FView || !FView->Shown())
        return {kViewName, kViewKeys};
    const int zoom = FView->ZoomIndex();
    const QString shown = zoom == kWholeMapZoomIndex
                              ? QStringLiteral("mapa inteiro")
                              : QStringLiteral("zoom ") + cZoom->itemText(zoom);
    QString name = QStringLiteral("%1: %2, %3").arg(kViewName, lUF->text(), shown);
    // Placing a large state's cities takes a fifth of a second: once per state, and only
    // when assistive technology reads the view.
    if (!FCitiesPlaced) {
        FCityPlaces.Place(FData.CityRows(), FUF, StateCityNames, FView->Coordinates());
        FCitiesPlaced = true;
    }
    const QString city = FCityPlaces.Nearest(FView->Center());
    if (!city.isEmpty())
        name += QStringLiteral(", centro perto de ") + city;
    return {name, name + QStringLiteral(". ") + kViewKeys};
}

void TformTovralMain::cbHQClick()
{
    cZoomChange();
}

void TformTovralMain::resizeEvent(QResizeEvent *event)
{
    RunReported(this, [&] {
        QWidget::resizeEvent(event);
        // The border is fixed: only maximising changes the size. A size the user dragged is
        // taken back.
        if (event->spontaneous() && !isMaximized() && !isFullScreen() && isVisible() &&
            size() != kDesignedClientSize) {
            resize(kDesignedClientSize);
            return;
        }
        AlignPanels();
        FormResize();
    });
}

void TformTovralMain::FormResize()
{
    bSair->move(pBottom->width() - bSair->width() - bCalcDist->x(), bSair->y());
    const int statusLeft = bPrint->geometry().right() + 1 + kStatusLineGap;
    lPosicao->setGeometry(statusLeft, bPrint->y(), bSair->x() - kStatusLineGap - statusLeft, bPrint->height());
    pNav->move(pNav->x(), pLeft->height() - pNav->height() - kNavigationPadBottomGap);
    bChangeUF->move(bChangeUF->x(), pNav->y() - bChangeUF->height() - kChangeStateGap);
    bCidadeMapa->move(bCidadeMapa->x(), bChangeUF->y() - bCidadeMapa->height() - kLocateGap);
    lCidades->resize(lCidades->width(), bCidadeMapa->y() - kLocateGap - lCidades->y());
    if (FView)
        ResizeView();
    if (width() != FLastClientWidth && height() != FLastClientHeight)
        cZoomChange();
}

void TformTovralMain::ResizeView()
{
    FView->Resize(Image->size(), Image->devicePixelRatioF());
}

void TformTovralMain::ScreenChanged()
{
    // A screen of another pixel density: the view is drawn again for its device pixels.
    if (FView && Image->devicePixelRatioF() != FView->DevicePixelRatio())
        cZoomChange();
}

void TformTovralMain::Pan(int directionX, int directionY)
{
    if (FView && FView->Pan(directionX, directionY))
        cZoomChange();
}

void TformTovralMain::bTLClick() { Pan(-1, -1); }
void TformTovralMain::bTClick() { Pan(0, -1); }
void TformTovralMain::bTRClick() { Pan(+1, -1); }
void TformTovralMain::SpeedButton2Click() { Pan(-1, 0); }
void TformTovralMain::SpeedButton1Click() { Pan(+1, 0); }
void TformTovralMain::SpeedButton3Click() { Pan(-1, +1); }
void TformTovralMain::SpeedButton5Click() { Pan(0, +1); }
void TformTovralMain::SpeedButton4Click() { Pan(+1, +1); }

// --- City locator: selection follow-up ----------------------------------------------------

void TformTovralMain::lCidadesClick()
{
    const int selected = lCidades->currentRow();
    const bool valid = selected >= 0 && selected < lCidades->count();
    if (valid && lCidades->hasFocus()) {
        const QSignalBlocker quiet(eCidade);
        eCidade->setText(lCidades->item(selected)->text());
    }
    bCidadeMapa->setEnabled(valid);
    if (!valid) {
        FSelectedCityRow = -1;
        return;
    }
    FSelectedCityRow = FData.CityRows().Find(CityRowKey(FUF, lCidades->item(selected)->text()));
}

// --- Legend window ------------------------------------------------------------------------

void TformTovralMain::bLegendasClick()
{
    if (formLegendas->isVisible())
        formLegendas->close();
    else
        formLegendas->show();
}

void TformTovralMain::ShowLegendCaption(bool shown)
{
    bLegendas->setText(shown ? kHideLegendsCaption : kShowLegendsCaption);
}
