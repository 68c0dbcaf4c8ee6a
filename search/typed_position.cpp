// Going to a position typed into the city locator's box: "-23.5475, -46.6361" or
// "23°32'51\"S 46°38'10\"W" centres the map there at "100%", as a located city is centred.
#include <QLineEdit>

#include "app/messages.h"
#include "app/tovral_main.h"
#include "mapdata/position_text.h"

namespace {
const QString kOutsideMapMessage = QStringLiteral("Coordenadas fora do mapa deste estado");
} // namespace

bool TformTovralMain::GoToTypedPosition()
{
    const std::optional<TGeoPosition> position = ParseTypedPosition(eCidade->text());
    if (!position || !FView)
        return false;
    const TCoordinates &coordinates = FView->Coordinates();
    const QPoint point = coordinates.GeoToPixel(position->Longitude, position->Latitude);
    if (!coordinates.Reaches(*position) || point.x() < 0 || point.y() < 0)
        ShowErrorMessage(this, kOutsideMapMessage);
    else
        CentreAtFullSize(point);
    // As after a located city: the position stays, selected, so the next text typed replaces it.
    eCidade->selectAll();
    return true;
}
