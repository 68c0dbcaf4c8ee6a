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

// A road route over the map: the path as a wide line of a colour no layer of the maps uses, on
// a dark casing, with the origin (green) and the destination (red) marked and named. The part
// of the route that the shown state's reference points can place is projected once, when the
// route is shown, into unrounded full-map positions; a drawing then only maps them to its
// units, leaves out the points closer than its tolerance and strokes the line in short runs,
// each with its rectangle, so that a drawing of part of the map strokes only the runs that
// reach it. In the map view the route is drawn into the view bitmap as the map is, from
// squares of the map's device pixels at the view's scale, like the map's own tiles: each
// square is drawn the first time the view shows it and kept for the last scales the view
// showed, as the rows of pixels the route covers in it, so that drawing the route over a
// part of the view only blends those pixels, and a repaint, a drag or a copy of the view
// costs nothing more.
class TRouteOverlay : public TBitmapLayer {
public:
    // Projects the route with the shown state's reference points and shows it.
    void Show(const TShownRoute &route, const TCoordinates &coordinates);
    void Clear();
    bool Shown() const { return FShown; }
    // The full-map rectangle of the placed part (line and marks); empty when none is placed.
    QRectF FullMapBounds() const { return FBounds; }

    // A new number at each showing; 0 while none is shown.
    uint64_t ContentId() const override { return FShown ? FShowings : 0; }
    void DrawInto(QImage &pixels, const QRect &rect, QPoint viewOrigin, const TViewGeometry &geometry) const override;
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

    // One square of the view's picture of the route, as the stretches of its rows that are not
    // wholly transparent (most of a square is), with their premultiplied pixels one after the
    // other: few and close together, so that laying them over the view is quick.
    struct TCovered {
        int Row = 0;
        int Left = 0;
        int Width = 0;
        qsizetype First = 0; // where the stretch's pixels start in Pixels
    };
    struct TTile {
        std::vector<TCovered> Covered;
        std::vector<quint32> Pixels;
    };
    // The view's squares for one scale and device ratio; the drawing puts full-map positions
    // on the map's device pixels at that scale.
    struct TViewTiles {
        long double DeviceScale = 0;
        qreal DevicePixelRatio = 0;
        TRouteDrawing Drawing;
        std::vector<TRun> Runs;
        std::map<std::pair<int, int>, TTile> Tiles; // by column and row
        qsizetype KeptPixels = 0;                   // of all the tiles
    };
    // The view's top-left corner on the map's device pixels, at a whole pixel: a pan may move
    // the map by a fraction of one, which the route then follows to within half a pixel.
    static QPoint ViewCorner(const TViewGeometry &geometry);
    // The squares for the geometry's scale and ratio, kept first; made when none are kept.
    TViewTiles &KeepTilesFor(const TViewGeometry &geometry) const;
    const TTile &Tile(TViewTiles &tiles, int column, int row) const;
    TTile DrawTile(const TViewTiles &tiles, int column, int row) const;
    // When the squares keep too many pixels, forgets those of other scales, then those of
    // tiles outside the given columns and rows.
    void LimitTiles(TViewTiles &tiles, const QRect &shownTiles) const;
    // The squares of the scales the view showed last, the latest first: a zoom back to one of
    // them draws nothing again.
    mutable std::vector<TViewTiles> FScales;

    bool FShown = false;
    uint64_t FShowings = 0;
    std::vector<TPiece> FPieces; // the runs of consecutive placed points
    std::vector<TMark> FMarks;
    QRectF FBounds;
};
