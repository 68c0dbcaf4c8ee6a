#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>

#include "app/view_math.h"
#include "app/view_overlay.h"
#include "mapdata/coordinates.h"
#include "mapdata/map_scale.h"
#include "mapdata/map_image.h"

class TViewBitmap;

// The map view of the current state, without widgets: the state's two maps and reference
// points, and where and how closely the view looks at them. The map window's handlers call
// its verbs and paint the bitmap it renders; navigation, the locator and output ask it what
// the view shows. The arithmetic is app/view_math.h's; the units are its own: view pixels
// (the screen's logical pixels), full-map pixels, scales in view pixels per full-map pixel.
// Only the bitmap is in device pixels: on a high-density screen it holds devicePixelRatio
// device pixels per view pixel, drawn at the scale times that ratio, so that it is shown
// without enlargement; the map it is drawn from is the one a screen of ratio 1 shows at the
// scale, so that names and symbols have one size in view pixels on every screen.
class TMapView {
public:
    // Replaces the maps and points with the files' content: the light map, the full map, the
    // reference points. A file that cannot be read, or a full map of width 0, throws
    // TovralError; the view is then only fit to be loaded again.
    void Load(const QString &lightMapPath, const QString &fullMapPath, const QString &pointsPath);

    const TMapImage &FullMap() const { return FFullMap; }
    const TMapImage &LightMap() const { return FLightMap; }
    const TCoordinates &Coordinates() const { return FCoordinates; }
    QSize FullMapSize() const;
    // Light map width / full map width.
    long double LightRatio() const { return FLightRatio; }

    QPoint Center() const { return FCenter; }
    long double Scale() const { return FScale; }
    int ZoomIndex() const { return FZoomIndex; }
    QSize ViewSize() const { return FViewSize; }
    qreal DevicePixelRatio() const { return FDevicePixelRatio; }
    // A map is loaded and the view has a scale: input may move it.
    bool Shown() const;

    // The view is now viewSize view pixels on a screen of devicePixelRatio device pixels per
    // view pixel (fractions included); nothing is redrawn.
    void Resize(QSize viewSize, qreal devicePixelRatio = 1);
    // Takes the zoom entry zoomIndex: its scale for the current view size, the centre of
    // every axis on which the whole map fits moved to the map's middle.
    void ZoomTo(int zoomIndex);
    // Moves the centre to a full-map pixel.
    void CentreOn(QPoint center);
    // Moves the centre by a pan step on each axis whose direction is not 0 (-1 towards the
    // origin, +1 away from it) where that axis can move; false when none could.
    bool Pan(int directionX, int directionY);
    // The zoom entry notches steps in (positive) or out (negative) of the current one.
    int SteppedZoomIndex(int notches) const;
    // Moves the centre so that the full-map point under viewPoint (view pixels) stays there
    // once the view is redrawn at the zoom entry zoomIndex.
    void KeepPointForZoom(int zoomIndex, QPoint viewPoint);
    // Where a drag by drag view pixels that started with the view centred on startCenter
    // takes the centre, and how far the picture drawn for startCenter then moves.
    QPoint DraggedCentre(QPoint startCenter, QPoint drag) const;
    QPoint PictureShift(QPoint startCenter, QPoint center) const;

    // Makes bitmap the view size in device pixels (each length times the ratio, rounded up),
    // marked with the ratio, and draws the view into it at the scale times the ratio, from
    // the light map where that has pixels enough for the scale (ChooseMap). Where the bitmap
    // already shows this view moved (a pan), the pixels it repeats are kept and only the rest
    // is drawn. The bitmap is in place while the pieces are drawn, so that a repaint between
    // them shows those already done. A layer is drawn over the map where it is drawn; a
    // bitmap shown with another drawing of the layer (or none) is drawn whole.
    void Render(TViewBitmap &bitmap, TRenderQuality quality, const TBitmapLayer *layer = nullptr) const;
    // Starts preparing in the background what a pan step in any direction from the view
    // would draw (as Render would, from the same map), so that the step draws from the tile
    // cache; a preparing started before is stopped first. Returns at once.
    void PrepareSurroundings(TRenderQuality quality);
    // Ends the background preparing: the pieces not begun are dropped, the running ones
    // waited for.
    void StopPreparing() { FPreparing.Stop(); }
    // Waits until the background preparing is done.
    void WaitUntilPrepared() { FPreparing.Wait(); }
    // Where Render puts the map in the bitmap (not shifted).
    TViewGeometry Geometry() const;
    // Kilometres of the ground per full-map pixel at the view's centre; nothing where the
    // centre lies outside the reference grid. Kept for the centre it was found for, so that
    // a change of zoom does not look for it again.
    std::optional<TKmPerPixel> GroundScaleAtCentre() const;
    // Whether the whole map shows in the view on both axes, so that output need not ask which
    // part to take.
    bool WholeMapFits() const;
    // Runs callback after every piece either map draws.
    void OnEachPiece(const std::function<void()> &callback);

private:
    // The map Render draws from, with the centre and scale for it, at device pixels.
    TMapChoice DeviceMapChoice() const;
    QSize DevicePixelSize() const;

    TMapImage FFullMap;         // <uf>_full.map
    TMapImage FLightMap;        // <uf>_light.map
    TCoordinates FCoordinates;  // <uf>.pts
    long double FLightRatio = 0; // light map width / full map width
    QPoint FCenter;             // view centre, full-map pixels
    long double FScale = 0;     // view pixels per full-map pixel, set by ZoomTo
    int FZoomIndex = 0;         // the zoom entry of the last ZoomTo
    QSize FViewSize;            // view pixels
    qreal FDevicePixelRatio = 1; // device pixels per view pixel of the screen showing the view
    // The ground scale at the centre last asked for, and where that centre lies (the next
    // centre's search starts from it); forgotten by Load.
    struct TGroundScale {
        QPoint Centre;
        std::optional<TPixelPosition> Found;
        std::optional<TKmPerPixel> KmPerPixel;
    };
    mutable std::optional<TGroundScale> FGroundScale;
    // Reads the maps: declared after them, so that it ends before they do, and stopped
    // before they load.
    TRenderPool::TBackgroundRun FPreparing;
};
