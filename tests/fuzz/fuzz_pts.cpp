// The .pts loader on arbitrary bytes, then GeoToPixel of positions on, between and around the
// loaded points, and its inverse at their pixels.
#include <QBuffer>
#include <cmath>

#include "fuzz_input.h"
#include "base/errors.h"
#include "mapdata/coordinates.h"

namespace {

void CheckPixel(const TCoordinates &points, long double longitude, long double latitude)
{
    const QPoint pixel = points.GeoToPixel(longitude, latitude);
    // -1 marks "not found"; everything else is a pixel (the estimates are absolute values).
    FuzzCheck(pixel.x() >= -1 && pixel.y() >= -1, "GeoToPixel gives a pixel or -1");
    FuzzCheck(pixel.x() != -1 || pixel.y() == -1, "no row without a column");
    // The inverse answers only inside the grid, with a position that lies there.
    if (const std::optional<TGeoPosition> position = points.PixelToGeo(MapPointOf(pixel)))
        FuzzCheck(points.Reaches(*position) && std::isfinite(position->Latitude) && std::isfinite(position->Longitude),
                  "PixelToGeo answers with a position inside the grid");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    TCoordinates points;
    try {
        points.LoadFromStream(buffer);
    } catch (const TovralError &) {
        FuzzCheck(points.Count() == 0, "a refused file leaves no points");
        return 0;
    }
    CheckPixel(points, -47.5L, -15.5L);
    if (points.Count() == 0)
        return 0;
    const TCoordinateItem first = points.GetItem(0);
    const TCoordinateItem last = points.GetItem(points.Count() - 1);
    CheckPixel(points, first.Longitude, first.Latitude);
    CheckPixel(points, (first.Longitude + last.Longitude) / 2, (first.Latitude + last.Latitude) / 2);
    CheckPixel(points, last.Longitude + 1, first.Latitude - 1);
    return 0;
}
