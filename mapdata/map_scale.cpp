#include "mapdata/map_scale.h"

#include "mapdata/great_circle.h"

TKmPerPixel KmPerPixel(const TPixelPosition &found)
{
    const TGeoPosition &from = found.Position;
    // The ground covered by one pixel's step from the point.
    const auto kmAlong = [&from](const TGeoPosition &step) {
        return GreatCircleKm(from.Latitude, from.Longitude, from.Latitude + step.Latitude,
                             from.Longitude + step.Longitude);
    };
    return TKmPerPixel{kmAlong(found.Slope.AlongX), kmAlong(found.Slope.AlongY)};
}

std::optional<TKmPerPixel> KmPerFullMapPixel(const TCoordinates &coordinates, TMapPoint point)
{
    const std::optional<TPixelPosition> found = coordinates.PixelPosition(point);
    if (!found)
        return std::nullopt;
    return KmPerPixel(*found);
}
