#include "search/tovral_distancias.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <optional>

#include "app/error_report.h"
#include "app/form_style.h"
#include "app/messages.h"
#include "app/viewer_data.h"
#include "dialogs/tovral_uf.h"
#include "mapdata/great_circle.h"
#include "search/city_search.h"
#include "search/road_answer.h"

TformDistancias *formDistancias = nullptr;

namespace {
// The designed 353 x 276, and below it the road answer's row of buttons and its panel.
constexpr QSize kClientSize(353, 440);
constexpr int kRoadButtonsTop = 272;
constexpr QRect kRoadAnswerRect(8, 304, 337, 128);
// The rows of no answer: no selection is row -1, so these never match the chosen ones.
constexpr std::pair<int32_t, int32_t> kNoAnswerRows(-2, -2);

// Left edge of the origin and of the destination column.
constexpr int kOriginLeft = 10;
constexpr int kDestinationLeft = 178;

// The latitude and longitude texts of a side's selected city; "" when none is selected.
TRowCoordinates SideCoordinates(const TSortedStrings &rows, int32_t cityRow)
{
    if (cityRow < 0 || cityRow >= rows.Count())
        return {};
    return ReadRowCoordinates(rows[cityRow]);
}
} // namespace

QString DistanceMessage(long double kilometres, const QString &decimalSeparator)
{
    QString number = KilometresText(kilometres);
    number.replace(QLatin1Char('.'), decimalSeparator);
    return QStringLiteral("Distância aproximada: %1Km").arg(number);
}

TformDistancias::TformDistancias(const TViewerData &data, QWidget *parent)
    : QDialog(parent, kDialogWindowFlags),
      FDecimalSeparator(QLocale::system().decimalPoint()),
      FData(data)
{
    setFixedSize(kClientSize);
    setModal(true);
    setFont(FormFont(11));

    Image1 = AddSmallBanner(*this);
    Q_SET_OBJECT_NAME(Image1);

    Label1 = new QLabel(QStringLiteral("Calculadora de distâncias"), this);
    Q_SET_OBJECT_NAME(Label1);
    Label1->setFont(FormFont(13, true));
    Label1->move(8, 64);
    Label1->adjustSize();

    Label2 = new QLabel(QStringLiteral("Escolha duas cidades e clique no botão calcular para saber "
                                       "a distância linear (aérea) entre elas"),
                        this);
    Q_SET_OBJECT_NAME(Label2);
    Label2->setGeometry(8, 84, 329, 33);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    BuildSide(In, kOriginLeft, QStringLiteral("In"), QStringLiteral("Origem"));
    BuildSide(Out, kDestinationLeft, QStringLiteral("Out"), QStringLiteral("Destino"));

    Button1 = new QPushButton(QStringLiteral("Calcular"), this);
    Q_SET_OBJECT_NAME(Button1);
    Button1->setGeometry(64, 240, 105, 25);
    Button2 = new QPushButton(QStringLiteral("Voltar"), this);
    Q_SET_OBJECT_NAME(Button2);
    Button2->setGeometry(176, 240, 105, 25);
    bRotaEstrada = new QPushButton(QStringLiteral("Rota por estrada"), this);
    Q_SET_OBJECT_NAME(bRotaEstrada);
    bRotaEstrada->setGeometry(64, kRoadButtonsTop, 105, 25);
    bMostrarRota = new QPushButton(QStringLiteral("Mostrar no mapa"), this);
    Q_SET_OBJECT_NAME(bMostrarRota);
    bMostrarRota->setGeometry(176, kRoadButtonsTop, 105, 25);
    bMostrarRota->setEnabled(false);
    mRota = new QPlainTextEdit(this);
    Q_SET_OBJECT_NAME(mRota);
    mRota->setGeometry(kRoadAnswerRect);
    mRota->setReadOnly(true);
    mRota->setTabChangesFocus(true);
    mRota->setAccessibleName(QStringLiteral("Resposta da rota por estrada"));
    for (QPushButton *button : {Button1, Button2, bRotaEstrada, bMostrarRota}) {
        button->setCursor(HandCursor());
        // Enter in an edit box selects a city; it never presses a button. Enter on a
        // focused button presses that button.
        button->setAutoDefault(false);
        ClickOnEnter(*button);
    }

    setTabOrder(In.cbUF, In.eCidade);
    setTabOrder(In.eCidade, In.lCidades);
    setTabOrder(In.lCidades, Out.cbUF);
    setTabOrder(Out.cbUF, Out.eCidade);
    setTabOrder(Out.eCidade, Out.lCidades);
    setTabOrder(Out.lCidades, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, bRotaEstrada);
    setTabOrder(bRotaEstrada, bMostrarRota);
    setTabOrder(bMostrarRota, mRota);

    ConnectSide(In, &TformDistancias::cbUFInChange, &TformDistancias::eCidadeInChange,
                &TformDistancias::eCidadeInKeyPress, &TformDistancias::lCidadesInClick);
    ConnectSide(Out, &TformDistancias::cbUFOutChange, &TformDistancias::eCidadeOutChange,
                &TformDistancias::eCidadeOutKeyPress, &TformDistancias::lCidadesOutClick);
    connect(Button1, &QPushButton::clicked, this, Reported(this, &TformDistancias::Button1Click));
    connect(Button2, &QPushButton::clicked, this, Reported(this, &TformDistancias::Button2Click));
    connect(bRotaEstrada, &QPushButton::clicked, this, Reported(this, &TformDistancias::bRotaEstradaClick));
    connect(bMostrarRota, &QPushButton::clicked, this, Reported(this, &TformDistancias::bMostrarRotaClick));

    RunReported(this, [this] { FormCreate(); });
}

void TformDistancias::BuildSide(TCitySide &side, int left, const QString &suffix,
                                const QString &sideName)
{
    const auto spoken = [&sideName](const char *what) {
        return sideName + QStringLiteral(": ") + QString::fromUtf8(what);
    };
    side.cbUF = new QComboBox(this);
    side.cbUF->setObjectName(QStringLiteral("cbUF") + suffix);
    side.cbUF->setGeometry(left, 120, 160, side.cbUF->sizeHint().height());
    NameChoiceBox(*side.cbUF, spoken("estado"));
    side.eCidade = new QLineEdit(this);
    side.eCidade->setObjectName(QStringLiteral("eCidade") + suffix);
    side.eCidade->setGeometry(left, 144, 158, 21);
    side.eCidade->setMaxLength(200);
    side.eCidade->setAccessibleName(spoken("cidade"));
    side.lCidades = new QListWidget(this);
    side.lCidades->setObjectName(QStringLiteral("lCidades") + suffix);
    side.lCidades->setAccessibleName(spoken("cidades do estado"));
    side.lCidades->setGeometry(left, 168, 158, 57);
    side.lCidades->setUniformItemSizes(true);
    side.lCidades->setStyleSheet(QStringLiteral("QListWidget::item { height: 13px; padding: 0px; }"));
}

void TformDistancias::ConnectSide(TCitySide &side, void (TformDistancias::*change)(),
                                  void (TformDistancias::*search)(),
                                  void (TformDistancias::*keyPress)(QChar &),
                                  void (TformDistancias::*click)())
{
    connect(side.cbUF, &QComboBox::activated, this, Reported(this, change));
    connect(side.eCidade, &QLineEdit::textChanged, this, Reported(this, search));
    new TKeyPressHook(side.eCidade, [this, keyPress](QChar &key) { (this->*keyPress)(key); });
    // As on the map window: a click or the arrow keys; the follow-up is idempotent.
    connect(side.lCidades, &QListWidget::currentRowChanged, this, Reported(this, click));
    connect(side.lCidades, &QListWidget::itemClicked, this, Reported(this, click));
}

void TformDistancias::FormCreate()
{
    setWindowTitle(ApplicationTitle());
    for (TCitySide *side : {&In, &Out}) {
        const QSignalBlocker quiet(side->cbUF);
        side->cbUF->clear();
        for (int line = 0; line < FData.FUFLines().size(); ++line)
            side->cbUF->addItem(FData.States().DisplayName(line));
    }
}

void TformDistancias::FormShow()
{
    ShowRoadAnswer(QString());
    const int pickerState = formPickUF->SelectedIndex();
    for (TCitySide *side : {&In, &Out}) {
        const QSignalBlocker quiet(side->cbUF);
        side->cbUF->setCurrentIndex(pickerState);
        SetTextQuietly(*side->eCidade, QString());
    }
    cbUFInChange();
    cbUFOutChange();
}

void TformDistancias::showEvent(QShowEvent *event)
{
    RunReported(this, [&] {
        QDialog::showEvent(event);
        // A window restored after being minimised keeps both sides' choices; only an opening
        // (bCalcDist) starts afresh.
        if (event->spontaneous())
            return;
        CentreOnScreen(*this);
        FRouteToShow.reset();
        FormShow();
    });
}

void TformDistancias::cbUFChange(TCitySide &side)
{
    const int selected = side.cbUF->currentIndex();
    if (selected >= 0 && selected < FData.FUFLines().size())
        side.FUF = FData.States().CodeOf(selected);
    // Pending painting and input run before the list is filled; they may change the state.
    QCoreApplication::processEvents();
    FillCityList(*side.lCidades, side.FCityNames, FData.CityRows(), side.FUF,
                 FData.NextUFCode(side.FUF));
    SetTextQuietly(*side.eCidade, QString());
    SelectCityEntry(*side.lCidades, 0);
    lCidadesClick(side);
}

void TformDistancias::eCidadeChange(TCitySide &side)
{
    const TCityBlock block = StateCityBlock(FData.CityRows(), side.FUF, FData.NextUFCode(side.FUF));
    const int position = MatchedCityPosition(side.FCityNames, side.eCidade->text(), FData.CityIndex(), block);
    if (position < 0)
        return;
    SelectCityEntry(*side.lCidades, position);
    lCidadesClick(side);
}

void TformDistancias::lCidadesClick(TCitySide &side)
{
    if (side.lCidades->hasFocus() && HasSelectedCity(*side.lCidades))
        SetTextQuietly(*side.eCidade, SelectedCityText(*side.lCidades));
    side.FCityRow = SelectedCityRow(*side.lCidades, FData.CityRows(), side.FUF);
    // An answer is only ever shown for the cities chosen now.
    if (FAnswerRows != std::pair(In.FCityRow, Out.FCityRow))
        ShowRoadAnswer(QString());
}

void TformDistancias::eCidadeKeyPress(TCitySide &side, QChar &key)
{
    if (key != QChar(kEnterKey))
        return;
    key = QChar();
    // With no entry selected (a state without cities) there is nothing to copy.
    if (!HasSelectedCity(*side.lCidades))
        return;
    SetTextQuietly(*side.eCidade, SelectedCityText(*side.lCidades));
    lCidadesClick(side);
}

void TformDistancias::Button1Click()
{
    const TRowCoordinates origin = SideCoordinates(FData.CityRows(), In.FCityRow);
    const TRowCoordinates destination = SideCoordinates(FData.CityRows(), Out.FCityRow);
    // A side without a selected city has no coordinate texts and fails like a bad row.
    const std::optional<long double> kilometres =
        GreatCircleKm(origin.Latitude, origin.Longitude, destination.Latitude, destination.Longitude);
    if (!kilometres) {
        ShowErrorMessage(this, kCityNotLocatedMessage);
        return;
    }
    ShowInformationMessage(this, DistanceMessage(*kilometres, FDecimalSeparator));
}

void TformDistancias::Button2Click()
{
    reject();
}

QString TformDistancias::SideCityName(const TCitySide &side) const
{
    return SelectedCityText(*side.lCidades) + QLatin1Char('/') + side.FUF;
}

void TformDistancias::ShowRoadAnswer(const QString &text, std::optional<TShownRoute> route)
{
    mRota->setPlainText(text);
    FAnswerRows = text.isEmpty() ? kNoAnswerRows : std::pair(In.FCityRow, Out.FCityRow);
    FRoute = std::move(route);
    bMostrarRota->setEnabled(FRoute.has_value());
}

void TformDistancias::bRotaEstradaClick()
{
    const TRoadNetwork *network = nullptr;
    try {
        network = FData.RoadNetwork();
    } catch (...) {
        ShowRoadAnswer(kUnusableRoadNetworkText);
        throw; // the error report names the file and what is wrong with it
    }
    if (!network) {
        ShowRoadAnswer(FData.RoadNetworkUnusable() ? kUnusableRoadNetworkText : kNoRoadNetworkText);
        return;
    }
    const TSortedStrings &rows = FData.CityRows();
    const auto row = [&rows](int32_t index) { return index >= 0 && index < rows.Count() ? rows[index] : QString(); };
    TShownRoute shown;
    shown.Route = RoadRouteBetweenRows(*network, row(In.FCityRow), row(Out.FCityRow));
    shown.OriginRow = In.FCityRow;
    shown.OriginName = SideCityName(In);
    shown.DestinationName = SideCityName(Out);
    const QString text = RoadAnswerText(shown.Route, shown.OriginName, shown.DestinationName, FDecimalSeparator);
    if (shown.Route.Status == TRoadRoute::TStatus::Found)
        ShowRoadAnswer(text, std::move(shown));
    else
        ShowRoadAnswer(text);
}

void TformDistancias::bMostrarRotaClick()
{
    if (!FRoute)
        return;
    FRouteToShow = std::move(FRoute);
    ShowRoadAnswer(QString());
    accept();
}

std::optional<TShownRoute> TformDistancias::TakeRouteToShow()
{
    return std::exchange(FRouteToShow, std::nullopt);
}
