// The city locator of the map window: the incremental search of eCidade over lCidades, and
// centring the map on the selected city at "100%". The selection follow-up lCidadesClick,
// which state loading also runs, is with the map window's own handlers.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <optional>

#include "app/messages.h"
#include "app/tovral_main.h"
#include "app/view_math.h"
#include "app/viewer_data.h"
#include "mapdata/catalogue.h"
#include "mapdata/coordinates.h"
#include "mapdata/names.h"
#include "search/city_search.h"

namespace {
// Fernando de Noronha is drawn far from the mainland on the state's map; its fixed position
// replaces the catalogue's when it is located.
const QString kFixedPositionCity = QStringLiteral("FERNANDO DE NORONHA");

// A position in decimal degrees.
struct TRowPosition {
    long double Latitude = 0;
    long double Longitude = 0;
};

// The catalogue position of a city row; nothing when a coordinate text is missing or not a
// coordinate.
std::optional<TRowPosition> RowPosition(const QString &row)
{
    const TRowCoordinates texts = ReadRowCoordinates(row);
    if (texts.Latitude.isEmpty() || texts.Longitude.isEmpty())
        return std::nullopt;
    const std::optional<long double> latitude = ParseDMS(texts.Latitude);
    const std::optional<long double> longitude = ParseDMS(texts.Longitude);
    if (!latitude || !longitude)
        return std::nullopt;
    return TRowPosition{*latitude, *longitude};
}
} // namespace

void TformTovralMain::ConnectLocatorHandlers()
{
    connect(eCidade, &QLineEdit::textChanged, this, &TformTovralMain::eCidadeChange);
    new TKeyPressHook(eCidade, [this](QChar &key) { eCidadeKeyPress(key); });
    // A click and the arrow keys both change the current row; a click on the entry already
    // selected changes nothing but still copies its name into eCidade. lCidadesClick is
    // idempotent, so a click that also changes the row may run it twice.
    connect(lCidades, &QListWidget::currentRowChanged, this, &TformTovralMain::lCidadesClick);
    connect(lCidades, &QListWidget::itemClicked, this, &TformTovralMain::lCidadesClick);
    connect(lCidades, &QListWidget::itemDoubleClicked, this, &TformTovralMain::lCidadesDblClick);
    connect(bCidadeMapa, &QPushButton::clicked, this, &TformTovralMain::bCidadeMapaClick);
}

void TformTovralMain::eCidadeChange()
{
    const int position = IncrementalSearchPosition(StateCityNames, eCidade->text());
    if (position < 0)
        return;
    SelectCityEntry(*lCidades, position);
    lCidadesClick();
}

void TformTovralMain::eCidadeKeyPress(QChar &key)
{
    if (key != QChar(kEnterKey))
        return;
    key = QChar();
    if (GoToTypedPosition())
        return;
    // With no entry selected (a state without cities) there is nothing to locate.
    if (!HasSelectedCity(*lCidades))
        return;
    SetTextQuietly(*eCidade, SelectedCityText(*lCidades));
    lCidadesClick();
    bCidadeMapaClick();
}

void TformTovralMain::lCidadesDblClick()
{
    bCidadeMapaClick();
}

void TformTovralMain::bCidadeMapaClick()
{
    if (FSelectedCityRow < 0 || !bCidadeMapa->isEnabled() || !FView ||
        FSelectedCityRow >= FData.CityRows().Count())
        return;
    std::optional<TRowPosition> position = RowPosition(FData.CityRows()[FSelectedCityRow]);
    if (!position) {
        ShowErrorMessage(this, kCityNotLocatedMessage);
        return;
    }
    if (UpperCase(SelectedCityText(*lCidades)) == kFixedPositionCity)
        position = TRowPosition{kNoronhaFixedLatitude, kNoronhaFixedLongitude};
    const QPoint point = FView->Coordinates().GeoToPixel(position->Longitude, position->Latitude);
    if (point.x() == -1) {
        ShowErrorMessage(this, kCityNotLocatedMessage);
        return;
    }
    FView->CentreOn(point);
    {
        const QSignalBlocker quiet(cZoom);
        cZoom->setCurrentIndex(kFullSizeZoomIndex);
    }
    cZoomChange();
}
