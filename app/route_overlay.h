#pragma once

#include <QImage>
#include <QPointF>
#include <QPolygonF>
#include <QRect>
#include <QRectF>
#include <QString>
#include <vector>

#include "app/shown_route.h"
#include "app/view_overlay.h"

// Where full-map positions land on a drawing of the map (the screen's view, a copied,
// saved or printed picture): Offset + (point - Origin) * Scale, in the drawing's units, and
// how the route's look is sized there.
struct TRouteDrawing {
    TMapPoint Origin;       // full-map position drawn at Offset
    QPointF Offset;
    long double Scale = 1;  // drawing units per full-map pixel
    qreal LineScale = 1;    // the drawing's units per view pixel of the route's look
    qreal Tolerance = 1;    // a point closer than this to the last one drawn is left out
    QRectF Area;            // the drawing's extent; a piece wholly outside it is skipped

    QPointF At(QPointF fullMapPoint) const;
    // The drawing of the map view as shown: view pixels, one device pixel of tolerance.
    static TRouteDrawing OfView(const TViewGeometry &geometry);
    // A picture or page region of device pixels rect whose middle pixel (width div 2, height
    // div 2) starts where the full-map position origin lies, at scale; the look lineScale
    // device pixels per view pixel, points closer than a pixel (or half a view pixel) left out.
    static TRouteDrawing Around(TMapPoint origin, const QRect &rect, long double scale, qreal lineScale);
};

// A road route over the map view: the path as a wide line of a colour no layer of the maps
// uses, on a dark casing, with the origin (green) and the destination (red) marked and
// named. The part of the route that the shown state's reference points can place is
// projected once, when the route is shown, into unrounded full-map positions; each painting
// then only maps them to the drawing and leaves out the points closer than a device pixel,
// so that zoom, pan and redraw cost the drawing alone. On the screen the drawing is kept as a
// picture of the view's device pixels while the view's place and scale stay: the view is
// repainted as each piece of the map comes in, and at every step of a drag.
class TRouteOverlay : public TViewOverlay {
public:
    // Projects the route with the shown state's reference points and shows it.
    void Show(const TShownRoute &route, const TCoordinates &coordinates);
    void Clear();
    bool Shown() const { return FShown; }
    // The full-map rectangle of the placed part (line and marks); empty when none is placed.
    QRectF FullMapBounds() const { return FBounds; }

    void Paint(QPainter &painter, const TViewGeometry &geometry) const override;
    // Paints the route on any drawing of the map.
    void PaintOn(QPainter &painter, const TRouteDrawing &drawing) const;

private:
    struct TPiece {
        QPolygonF Points; // full-map positions
        QRectF Bounds;
    };
    struct TMark {
        QPointF Point; // full-map position
        QString Name;
        bool Origin = true;
    };
    void PaintMark(QPainter &painter, const TRouteDrawing &drawing, const TMark &mark) const;

    // The route as last painted over the view, for a view of one scale and device ratio: a
    // picture of device pixels marked with the ratio, placed on the map's device pixels at
    // that scale (full-map position times the device scale), which covers the view and, where
    // memory allows, a pan step around it, so that a pan or a drag shows it moved.
    // Its place in the view is rounded to whole device pixels.
    struct TViewPicture {
        QImage Picture;
        QPointF TopLeft;           // on the map's device pixels
        QRectF Covered;            // the map's device pixels it was drawn for
        QRectF Reach;              // the map's device pixels the route and its names may cover
        std::vector<QRect> Blocks; // the picture's squares that are not wholly transparent
        long double DeviceScale = 0;
        qreal DevicePixelRatio = 0;
        bool Fits(const TViewGeometry &geometry) const;
    };
    // The view's top-left corner on the map's device pixels.
    static QPointF ViewCorner(const TViewGeometry &geometry);
    void DrawViewPicture(const TViewGeometry &geometry) const;
    mutable TViewPicture FViewPicture;

    bool FShown = false;
    std::vector<TPiece> FPieces; // the runs of consecutive placed points
    std::vector<TMark> FMarks;
    QRectF FBounds;
};
