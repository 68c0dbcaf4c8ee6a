#pragma once

#include <QPointF>
#include <QSize>
#include <cstdint>

#include "mapdata/coordinates.h"

class QImage;
class QPainter;
class QRect;

// Where the map lies in the map view as shown: enough for a drawing over the view to put a
// full-map point at its place, and to tell which full-map point lies under a view pixel.
// Units as in app/view_math.h; full-map positions are unrounded, in the reference points'
// units (the pixel c covers c to c + 1).
struct TViewGeometry {
    QSize ViewSize;              // view pixels
    qreal DevicePixelRatio = 1;  // device pixels per view pixel
    TMapPoint Origin;            // the full-map position drawn at the device pixel DeviceMiddle
    QPointF DeviceMiddle;        // device pixels of the bitmap: its width div 2, height div 2
    long double DeviceScale = 0; // device pixels per full-map pixel
    QPointF Shift;               // view pixels by which the picture is shown moved (a drag)

    // View pixels per full-map pixel.
    long double Scale() const { return DeviceScale / (long double)DevicePixelRatio; }
    QPointF ToView(TMapPoint point) const;
    TMapPoint ToFullMap(QPointF viewPoint) const;
};

// Something drawn over the map view after the map, in view pixels on a painter of the
// screen's device pixel ratio (so that it is sharp at any ratio): the scale bar. It is never
// part of the view bitmap, so copy, save and print do not take it.
class TViewOverlay {
public:
    virtual ~TViewOverlay() = default;
    virtual void Paint(QPainter &painter, const TViewGeometry &geometry) const = 0;
};

// Something drawn into the view bitmap over the map, as the map is drawn there (a road route):
// part of the picture from then on, so that showing it again, dragging it and copying it cost
// nothing more.
class TBitmapLayer {
public:
    virtual ~TBitmapLayer() = default;
    // Which drawing the layer makes now; 0 is none. A bitmap drawn with another is drawn again
    // whole rather than kept.
    virtual uint64_t ContentId() const = 0;
    // Draws over rect of pixels (the bitmap's stored device pixels), on which the view's
    // device pixel (0, 0) falls at viewOrigin, the map lying in the view as geometry says.
    virtual void DrawInto(QImage &pixels, const QRect &rect, QPoint viewOrigin,
                          const TViewGeometry &geometry) const = 0;
};
