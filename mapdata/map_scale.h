#pragma once

#include <optional>

#include "mapdata/coordinates.h"

// Kilometres of the ground per full-map pixel at a point of the map, along each axis.
struct TKmPerPixel {
    long double X = 0; // one pixel to the right
    long double Y = 0; // one pixel down
};

// The scale of the map at a position the inverse of GeoToPixel found, from how the position
// changes there per pixel, by the distance calculator's great-circle formula.
TKmPerPixel KmPerPixel(const TPixelPosition &found);

// The same at a full-map point, from the reference points around it; nothing where the
// point lies outside the reference grid.
std::optional<TKmPerPixel> KmPerFullMapPixel(const TCoordinates &coordinates, TMapPoint point);
