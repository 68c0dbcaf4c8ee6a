#pragma once

#include <optional>

#include "mapdata/coordinates.h"

// Kilometres of the ground per full-map pixel at a point of the map, along each axis.
struct TKmPerPixel {
    long double X = 0; // one pixel to the right
    long double Y = 0; // one pixel down
};

// The scale of the map at a full-map point, from the reference points around it (the
// position there and how it changes per pixel, by the inverse of GeoToPixel) and the
// distance calculator's great-circle formula. Nothing where the point lies outside the
// reference grid.
std::optional<TKmPerPixel> KmPerFullMapPixel(const TCoordinates &coordinates, TMapPoint point);
