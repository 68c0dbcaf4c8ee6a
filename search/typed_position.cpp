// Going to a position typed into the city locator's box: "-23.5475, -46.6361" or
// "23°32'51\"S 46°38'10\"W" centres the map there at "100%", as a located city is centred.
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "app/messages.h"
#include "app/tovral_main.h"
#include "app/view_math.h"
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
    if (!coordinates.Reaches(*position) || point.x() < 0 || point.y() < 0) {
        ShowErrorMessage(this, kOutsideMapMessage);
        return true;
    }
    FView->CentreOn(point);
    {
        const QSignalBlocker quiet(cZoom);
        cZoom->setCurrentIndex(kFullSizeZoomIndex);
    }
    cZoomChange();
    return true;
}
