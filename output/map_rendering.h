#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>

#include "app/route_overlay.h"

class TMapImage;
class TMapView;

// The pictures that saving writes, rendered at one picture pixel per map pixel. Units: the
// view size is in view (screen) pixels, scale in view pixels per full-map pixel, centre in
// full-map pixels.

// Size of the full-map region a view shows: view size / scale on each axis, rounded to the
// nearest, halves to even.
QSize VisiblePartSize(QSize viewSize, long double scale);

// The whole map, its own size, 24-bit colour (stored as RGB32).
QImage RenderWholeMap(const TMapImage &map);

// The part of the full map that the view shows, around center, at full-map resolution;
// where the region reaches beyond the map the picture is white.
QImage RenderVisiblePart(const TMapImage &fullMap, QPoint center, QSize viewSize,
                         long double scale);

// What saving takes of a view: the part it shows, or the whole map from its light map.
QImage RenderVisiblePart(const TMapView &view);
QImage RenderWholeMap(const TMapView &view);

// Where full-map positions land on those two pictures, for drawing a route over them as the
// view shows it (its look one picture pixel per view pixel).
TRouteDrawing VisiblePartDrawing(const TMapView &view);
TRouteDrawing WholeMapDrawing(const TMapView &view);
