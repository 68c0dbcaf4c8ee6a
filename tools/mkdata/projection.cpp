#include "tools/mkdata/projection.h"

#include <algorithm>
#include <cmath>

namespace {
// Pixels between two neighbouring grid lines must be whole, so scales are multiples of this.
constexpr long double kGridStepsPerDegree = 1.0L / kGridStepDegrees;

long double FloorToGrid(long double degrees)
{
    return std::floor(degrees * kGridStepsPerDegree) / kGridStepsPerDegree;
}

long double CeilToGrid(long double degrees)
{
    return std::ceil(degrees * kGridStepsPerDegree) / kGridStepsPerDegree;
}

// A whole number of pixels per grid step, at least one.
long double ScaleOnGrid(long double pixelsPerDegree)
{
    return std::max(1.0L, std::nearbyint(pixelsPerDegree / kGridStepsPerDegree)) * kGridStepsPerDegree;
}

int RoundUpToMultiple(long double value, int multiple)
{
    return int(std::ceil(value / multiple)) * multiple;
}
} // namespace

QPointF TProjection::ToPixel(long double longitude, long double latitude) const
{
    return QPointF(double((longitude - West) * PixelsPerDegreeX), double((North - latitude) * PixelsPerDegreeY));
}

QPolygonF TProjection::ToPixels(const QPolygonF &lonLat) const
{
    QPolygonF pixels;
    pixels.reserve(lonLat.size());
    for (const QPointF &p : lonLat)
        pixels << ToPixel(p);
    return pixels;
}

long double TProjection::Longitude(qreal x) const { return West + x / PixelsPerDegreeX; }
long double TProjection::Latitude(qreal y) const { return North - y / PixelsPerDegreeY; }

double TargetMegaPixels(const QRectF &extent)
{
    const double smallest = std::log(0.5), largest = std::log(250.0);
    const double area = std::max(1e-6, extent.width() * extent.height());
    const double t = std::clamp((std::log(area) - smallest) / (largest - smallest), 0.0, 1.0);
    return 20 + 40 * t;
}

TProjection ChooseProjection(const QRectF &extent, double megaPixels)
{
    TProjection projection;
    projection.West = FloorToGrid(extent.left());
    projection.North = CeilToGrid(extent.bottom());
    const long double east = CeilToGrid(extent.right());
    const long double south = FloorToGrid(extent.top());
    const long double middle = (projection.North + south) / 2;
    const long double shrink = std::cos(middle * M_PIl / 180);
    const long double degreesX = east - projection.West, degreesY = projection.North - south;
    const long double perDegree = std::sqrt(megaPixels * 1e6L / (degreesX * shrink * degreesY));
    projection.PixelsPerDegreeY = ScaleOnGrid(perDegree);
    projection.PixelsPerDegreeX = ScaleOnGrid(perDegree * shrink);
    projection.Width = RoundUpToMultiple(degreesX * projection.PixelsPerDegreeX, kSizeMultiple);
    projection.Height = RoundUpToMultiple(degreesY * projection.PixelsPerDegreeY, kSizeMultiple);
    return projection;
}

TProjection LightProjection(const TProjection &full)
{
    TProjection light = full;
    light.PixelsPerDegreeX = full.PixelsPerDegreeX * kLightNumerator / kLightDenominator;
    light.PixelsPerDegreeY = full.PixelsPerDegreeY * kLightNumerator / kLightDenominator;
    light.Width = full.Width / kLightDenominator * kLightNumerator;
    light.Height = full.Height / kLightDenominator * kLightNumerator;
    return light;
}

std::vector<TCoordinateItem> ReferenceGrid(const TProjection &projection)
{
    std::vector<TCoordinateItem> grid;
    const long double stepX = kGridStepDegrees * projection.PixelsPerDegreeX;
    const long double stepY = kGridStepDegrees * projection.PixelsPerDegreeY;
    for (int row = 0; row * stepY < projection.Height; ++row) {
        const long double latitude = projection.North - row * kGridStepDegrees;
        for (int column = 0; column * stepX < projection.Width; ++column) {
            TCoordinateItem item;
            item.Longitude = projection.West + column * kGridStepDegrees;
            item.Latitude = latitude;
            item.X = int32_t(std::lrintl(column * stepX));
            item.Y = int32_t(std::lrintl(row * stepY));
            grid.push_back(item);
        }
    }
    return grid;
}
