// The city locator of the map window: the incremental search of eCidade over lCidades, and
// centring the map on the selected city at "100%"; beside it, the suggestions of cities of
// every state under eCidade. The selection follow-up lCidadesClick, which state loading also
// runs, is with the map window's own handlers.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <optional>

#include "app/error_report.h"
#include "app/messages.h"
#include "app/tovral_main.h"
#include "app/view_math.h"
#include "app/viewer_data.h"
#include "dialogs/tovral_uf.h"
#include "mapdata/catalogue.h"
#include "mapdata/coordinates.h"
#include "mapdata/names.h"
#include "search/city_search.h"
#include "search/city_suggestions.h"

void TformTovralMain::ConnectLocatorHandlers()
{
    connect(eCidade, &QLineEdit::textChanged, this, Reported(this, &TformTovralMain::eCidadeChange));
    new TKeyPressHook(eCidade, [this](QChar &key) { eCidadeKeyPress(key); });
    // A click and the arrow keys both change the current row; a click on the entry already
    // selected changes nothing but still copies its name into eCidade. lCidadesClick is
    // idempotent, so a click that also changes the row may run it twice.
    connect(lCidades, &QListWidget::currentRowChanged, this, Reported(this, &TformTovralMain::lCidadesClick));
    connect(lCidades, &QListWidget::itemClicked, this, Reported(this, &TformTovralMain::lCidadesClick));
    connect(lCidades, &QListWidget::itemDoubleClicked, this, Reported(this, &TformTovralMain::lCidadesDblClick));
    connect(bCidadeMapa, &QPushButton::clicked, this, Reported(this, &TformTovralMain::bCidadeMapaClick));
    // Made after the key-press hook, so that the list sees Enter first while it is open.
    FCitySuggestions = new TCitySuggestions(*eCidade, FData.CityIndex(),
                                            [this](const TCitySuggestion &city) { CitySuggestionChosen(city); });
    connect(eCidade, &QLineEdit::textChanged, this, Reported(this, &TformTovralMain::ShowCitySuggestions));
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
    LocateSelectedCity();
}

void TformTovralMain::LocateSelectedCity()
{
    SetTextQuietly(*eCidade, SelectedCityText(*lCidades));
    lCidadesClick();
    bCidadeMapaClick();
    // The located name stays, selected, also after a failure's message: the next name typed
    // replaces it instead of being added to it.
    eCidade->selectAll();
}

void TformTovralMain::ShowCitySuggestions()
{
    // After eCidadeChange, so that the selection of lCidades follows the text already.
    RunReported(this, [this] { FCitySuggestions->Update(SelectedCityText(*lCidades), FUF); });
}

void TformTovralMain::CitySuggestionChosen(const TCitySuggestion &city)
{
    RunReported(this, [&] {
        if (!ShowStateOfCityRow(city.Row))
            return;
        const int position = CityNamePosition(StateCityNames, city.Name);
        if (position < 0)
            return;
        SelectCityEntry(*lCidades, position);
        LocateSelectedCity();
    });
}

bool TformTovralMain::ShowStateOfCityRow(int row)
{
    // The state whose list shows the city is loaded as a pick in the state picker loads it,
    // unless it is on screen already.
    const int line = FData.StateLineOfCityRow(row);
    if (line < 0)
        return false;
    const QString code = FData.States().CodeOf(line);
    if (code == FUF)
        return true;
    formPickUF->SelectState(line);
    return LoadUF(code);
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
    const std::optional<TGeoPosition> position =
        LocatorPosition(FData.CityRows()[FSelectedCityRow], UpperCase(SelectedCityText(*lCidades)));
    if (!position) {
        ShowErrorMessage(this, kCityNotLocatedMessage);
        return;
    }
    const QPoint point = FView->Coordinates().GeoToPixel(position->Longitude, position->Latitude);
    if (point.x() == -1) {
        ShowErrorMessage(this, kCityNotLocatedMessage);
        return;
    }
    CentreAtFullSize(point);
}

void TformTovralMain::CentreAtFullSize(QPoint point)
{
    FView->CentreOn(point);
    {
        const QSignalBlocker quiet(cZoom);
        cZoom->setCurrentIndex(kFullSizeZoomIndex);
    }
    cZoomChange();
}
