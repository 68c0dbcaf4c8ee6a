#include "search/city_places.h"

#include <optional>

#include "mapdata/coordinates.h"
#include "mapdata/names.h"
#include "search/city_search.h"

void TCityPlaces::Place(const TSortedStrings &cityRows, const QString &code,
                        const TSortedStrings &names, const TCoordinates &coordinates)
{
    FPlaces.clear();
    for (const QString &name : names.Items()) {
        const int row = cityRows.Find(CityRowKey(code, name));
        if (row >= cityRows.Count())
            continue;
        const std::optional<TGeoPosition> position = LocatorPosition(cityRows[row], name);
        if (!position)
            continue;
        const QPoint pixel = coordinates.GeoToPixel(position->Longitude, position->Latitude);
        // X = -1: the position lies nowhere on the map; Y = -1: its row cannot be found.
        if (pixel.x() == -1 || pixel.y() == -1)
            continue;
        FPlaces.push_back({CapitalizeName(name), pixel});
    }
}

QString TCityPlaces::Nearest(QPoint point) const
{
    const TPlace *nearest = nullptr;
    qint64 nearestDistance = 0;
    for (const TPlace &place : FPlaces) {
        const qint64 dx = place.Pixel.x() - point.x();
        const qint64 dy = place.Pixel.y() - point.y();
        const qint64 distance = dx * dx + dy * dy;
        if (!nearest || distance < nearestDistance) {
            nearest = &place;
            nearestDistance = distance;
        }
    }
    return nearest ? nearest->Name : QString();
}
