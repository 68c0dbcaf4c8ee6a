#pragma once

#include <QImage>
#include <QPointF>
#include <QPolygonF>
#include <QRect>
#include <QRectF>
#include <QString>
#include <map>
#include <utility>
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
    // A picture or page region of device pixels rect whose middle pixel (width div 2, height
    // div 2) starts where the full-map position origin lies, at scale; the look lineScale
    // device pixels per view pixel, points closer than a pixel (or half a view pixel) left out.
    static TRouteDrawing Around(TMapPoint origin, const QRect &rect, long double scale, qreal lineScale);
};

// A road route over the map view: the path as a wide line of a colour no layer of the maps
// uses, on a dark casing, with the origin (green) and the destination (red) marked and
// named. The part of the route that the shown state's reference points can place is
// projected once, when the route is shown, into unrounded full-map positions; a drawing then
// only maps them to its units, leaves out the points closer than its tolerance and strokes
// the line in short runs, each with its rectangle, so that a drawing of part of the map
// strokes only the runs that reach it. On the screen the route is kept as squares of the
// map's device pixels at the view's scale, like the map's own tiles: each square is drawn
// the first time the view shows it and kept while the scale stays, so that a redraw or a
// drag draws nothing again and a pan draws only the squares it uncovers that the route
// crosses.
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
    // A few consecutive points of the line thinned for one drawing, in its units, and the
    // rectangle they span.
    struct TRun {
        QPolygonF Points;
        QRectF Bounds;
    };
    // The line in runs, for a drawing, of the pieces that reach its area.
    std::vector<TRun> Runs(const TRouteDrawing &drawing) const;
    // Strokes the runs that reach the drawing's area and paints the marks that do.
    void PaintRuns(QPainter &painter, const std::vector<TRun> &runs, const TRouteDrawing &drawing) const;
    // The rectangle a mark and its name may cover on a drawing.
    static QRectF MarkReach(QPointF at, qreal lineScale);
    void PaintMark(QPainter &painter, const TRouteDrawing &drawing, const TMark &mark) const;

    // One square of the screen's picture of the route: nothing where the route does not
    // pass, else its picture and the parts of its rows of blocks that are not wholly
    // transparent (most of a square is).
    struct TTile {
        QImage Picture;
        std::vector<QRect> Spans;
    };
    // The screen's squares for one scale and device ratio; the drawing puts full-map
    // positions on the map's device pixels at that scale.
    struct TViewTiles {
        long double DeviceScale = 0;
        qreal DevicePixelRatio = 0;
        TRouteDrawing Drawing;
        std::vector<TRun> Runs;
        std::map<std::pair<int, int>, TTile> Tiles; // by column and row
        int Pictures = 0;                           // tiles that hold a picture
    };
    // The view's top-left corner on the map's device pixels.
    static QPointF ViewCorner(const TViewGeometry &geometry);
    void KeepTilesFor(const TViewGeometry &geometry) const;
    TTile DrawTile(int column, int row) const;
    // Forgets the pictures outside the given columns and rows when too many are kept.
    void LimitTiles(const QRect &shownTiles) const;
    mutable TViewTiles FViewTiles;

    bool FShown = false;
    std::vector<TPiece> FPieces; // the runs of consecutive placed points
    std::vector<TMark> FMarks;
    QRectF FBounds;
};
