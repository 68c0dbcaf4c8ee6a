#pragma once

// The projection a state's map is drawn in: plate carrée with its own scale per axis,
//   x = (longitude - West) * PixelsPerDegreeX,   y = (North - latitude) * PixelsPerDegreeY,
// in full-map pixels. West and North lie on the reference grid and both scales are whole
// multiples of the grid's pixel step, so every grid point falls on a whole pixel and the
// viewer's straight-line interpolation between grid points reproduces the projection exactly.

#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <vector>

#include "mapdata/coordinates.h"

struct TProjection {
    long double West = 0;  // longitude of pixel column 0
    long double North = 0; // latitude of pixel row 0
    long double PixelsPerDegreeX = 1;
    long double PixelsPerDegreeY = 1;
    int Width = 0;  // full-map size in pixels
    int Height = 0;

    QPointF ToPixel(long double longitude, long double latitude) const;
    QPointF ToPixel(QPointF lonLat) const { return ToPixel(lonLat.x(), lonLat.y()); }
    QPolygonF ToPixels(const QPolygonF &lonLat) const;
    long double Longitude(qreal x) const;
    long double Latitude(qreal y) const;
    long double MegaPixels() const { return (long double)Width * Height / 1e6L; }
};

// Spacing of the reference grid in degrees.
constexpr long double kGridStepDegrees = 0.25L;
// The light map is the same map drawn at kLightNumerator / kLightDenominator of the full
// map's scale.
constexpr int kLightNumerator = 2, kLightDenominator = 5;
// Full-map width and height are multiples of this, so that the light map's ratio is exact.
constexpr int kSizeMultiple = kLightDenominator;

// The projection for a state whose drawn area (longitude x, latitude y) is extent: the extent
// grows to whole grid steps and the scale is chosen for about megaPixels million pixels.
TProjection ChooseProjection(const QRectF &extent, double megaPixels);

// The light map's projection: the full map's extent at the light ratio, so that every point
// lands at its full-map pixel times the ratio and the sides are exactly the ratio of the full
// map's (full must come from ChooseProjection).
TProjection LightProjection(const TProjection &full);

// The megapixels a state's map gets from the size of its extent in square degrees: about 20
// for the smallest states, up to 60 for the largest.
double TargetMegaPixels(const QRectF &extent);

// Reference points: every crossing of a grid parallel and a grid meridian that lies in the
// picture, parallel by parallel, west to east. Each parallel's points carry the identical
// Latitude value and each meridian's the identical Longitude value.
std::vector<TCoordinateItem> ReferenceGrid(const TProjection &projection);
